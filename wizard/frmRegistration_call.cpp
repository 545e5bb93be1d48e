// The call to the registration host as the window shows it: its events
// passed on to the call, the status line, the line indicator, Continue and
// the connection settings.

#include "clock.h"
#include "continue_checks.h"
#include "frmConnection.h"
#include "frmRegistration.h"
#include "program_state.h"
#include "registration_call.h"
#include "titles.h"
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

// The corrected entries are checked as Next checks them before they go: a
// failed check sends the user to the entry with its message, and nothing is
// sent.
void frmRegistration::cmdContinue_Click() {
    const RegistrationConversation &conversation = call_->Conversation();
    const RefusedRequest request{conversation.RefusedFields(),
                                 modKestenrol::gCardAccepted != kFalse ? &conversation.KeptCard()
                                                                       : nullptr,
                                 conversation.PlanNbrLo(), conversation.PlanNbrHi()};
    if (const std::optional<ContinueFailure> failure =
            CheckContinue(intCurrentPage, Entries(), request, Today())) {
        if (failure->control)
            ShowEntryControl(*failure->control);
        ui().msgBox(failure->message, MsgButtons::Ok, MsgIcon::Exclamation, kRegistrationTitle);
        return;
    }
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
