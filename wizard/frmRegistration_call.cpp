// The call to the registration host as the window shows it: its events
// passed on to the call, the status line, the line indicator, Continue and
// the connection settings.

#include "frmConnection.h"
#include "frmRegistration.h"
#include "registration_call.h"
#include "ui.h"

#include <QLabel>

void frmRegistration::ctlTAPI_OnTapi(std::int32_t requestId, std::int32_t status) {
    call_->ctlTAPI_OnTapi(requestId, status);
}

void frmRegistration::ctlTAPI_CallState(std::int32_t state, std::int32_t extra) {
    call_->ctlTAPI_CallState(state, extra);
}

void frmRegistration::ctlCOMM_OnComm() {
    call_->ctlCOMM_OnComm();
}

void frmRegistration::cmdContinue_Click() {
    call_->Continue();
}

void frmRegistration::ShowStatus(const QString &text) {
    lblStatus->setText(text);
}

void frmRegistration::ShowLineUp(bool up) {
    (up ? imgConnected : imgNotConnected)->raise();
}

void frmRegistration::ShowConnectionSettings(Telephony &telephony) {
    frmConnection connection(telephony);
    ui().showModal(connection);
}
