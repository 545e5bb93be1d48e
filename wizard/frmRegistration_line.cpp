// The serial line of the call: the host's login prompts, then its packets;
// and Continue, which answers a request the host refused once the user has
// corrected the entries.

#include "frmRegistration.h"

void frmRegistration::ctlCOMM_OnComm() {
    if (ctlCOMM.CommEvent() != comEvReceive)
        return;
    receiver_.Receive(ctlCOMM.Input(), [this](const QByteArray &text) { ctlCOMM.Output(text); });
}

void frmRegistration::cmdContinue_Click() {
    QByteArray packet;
    if (PacketProcessContinue(packet) == kFalse)
        return;
    ctlCOMM.Output(packet);
    mReceiveBuffer.clear();
}
