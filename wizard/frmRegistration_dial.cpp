// The call to the registration host: dialling, the call's progress, hanging
// up.

#include "frmConnection.h"
#include "frmRegistration.h"
#include "titles.h"
#include "ui.h"

#include <QLabel>
#include <QPushButton>

namespace {

// Kept non-zero even for request 0.
constexpr std::uint32_t kPendingRequest = 0x80000000U;

const QByteArray kModemUnavailable =
    "The selected Modem and/or Location are not available to make a call from, or are "
    "incorrectly configured.\r\n"
    "On the next form, please ensure the modem and/or telephone line are switched on and not "
    "already being used, and that the selected Location is correct, and try again.";
const QByteArray kCallNotMade = "The phone call to Kestrune could not be made.\r\n"
                                "Please check that the modem is working correctly, and try "
                                "again.\r\n"
                                "If you continue to experience problems, please contact the Help "
                                "Desk.";
const QByteArray kHangupFailed = "The computer could not hangup the phone call to Kestrune.\r\n"
                                 "Please check that the modem is working correctly.\r\n"
                                 "If you continue to experience problems, please contact the Help "
                                 "Desk.";
const QByteArray kServiceBusy = "The Kestrune service is busy at this moment.\r\n"
                                "Please wait a short time and try again.";
const QByteArray kDisconnected = "The call to Kestrune has been unexpectedly disconnected.\r\n"
                                 "Please wait a short time and try again.";

} // namespace

void frmRegistration::DialService(const QByteArray &number) {
    lblStatus->setText(QStringLiteral("Dialing Kestrune..."));
    EnableWizard(kFalse);
    ui().setMousePointer(MousePointer::BusyArrow);
    ui().doEvents();

    StartFreshLine();
    const DialResult dial = ctlTAPI.Dial(number);
    if (dial.placed()) {
        mDialRequest =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(dial.requestId) | kPendingRequest);
        return;
    }
    ui().beep();
    ui().msgBox(kModemUnavailable, MsgButtons::Ok, MsgIcon::Exclamation, kRegistrationTitle);
    lblStatus->clear();
    ui().setMousePointer(MousePointer::Default);
    {
        frmConnection connection(ctlTAPI);
        ui().showModal(connection);
    }
    EnableWizard(kTrue);
    lblStatus->clear();
    ui().setMousePointer(MousePointer::Default);
    ui().doEvents();
}

bool frmRegistration::CallInProgress() const {
    return ctlTAPI.CallInProgress();
}

void frmRegistration::HangUp() {
    if (!CallInProgress())
        return;
    lblStatus->setText(QStringLiteral("Hanging up connection..."));
    ui().doEvents();
    mHangupRequest = ctlTAPI.HangUp();
}

// The request identifier is not compared: one dial or one hang-up is
// pending at a time.
void frmRegistration::ctlTAPI_OnTapi(std::int32_t /*requestId*/, std::int32_t status) {
    if (status != 0 && mDialRequest != 0) {
        lblStatus->setText(QStringLiteral("Call not completed"));
        ui().msgBox(kCallNotMade, MsgButtons::Ok, MsgIcon::Exclamation, kRegistrationTitle);
        ui().doEvents();
        EnableWizard(kTrue);
        imgNotConnected->raise();
        mDialRequest = 0;
        ui().setMousePointer(MousePointer::Default);
        ForgetCardDetails();
    }
    if (status != 0 && mHangupRequest != 0) {
        lblStatus->setText(QStringLiteral("Can't hangup..."));
        ui().msgBox(kHangupFailed, MsgButtons::Ok, MsgIcon::Exclamation, kRegistrationTitle);
        ui().doEvents();
        EnableWizard(kTrue);
        imgConnected->raise();
        mHangupRequest = 0;
        ui().setMousePointer(MousePointer::Default);
    }
}

void frmRegistration::ctlTAPI_CallState(std::int32_t state, std::int32_t /*extra*/) {
    if (mDialRequest != 0) {
        switch (state) {
        case kCallDialling:
            lblStatus->setText(QStringLiteral("Dialing ..."));
            break;
        case kCallIdle:
            mDialRequest = 0;
            break;
        case kCallBusy:
            ui().beep();
            ui().msgBox(kServiceBusy, MsgButtons::Ok, MsgIcon::Critical, kRegistrationTitle);
            EnableWizard(kTrue);
            lblStatus->setText(QStringLiteral("Kestrune Busy"));
            imgNotConnected->raise();
            ui().setMousePointer(MousePointer::Default);
            break;
        case kCallConnected:
            lblStatus->setText(QStringLiteral("Connected"));
            imgConnected->raise();
            mDialRequest = 0;
            break;
        case kCallDisconnected:
            ReportDisconnected();
            break;
        default:
            break;
        }
    } else if (mHangupRequest != 0) {
        if (state == kCallIdle) {
            mHangupRequest = 0;
            lblStatus->setText(QStringLiteral("Call complete"));
            // The line is down: the indicator says so.
            imgNotConnected->raise();
        }
        ui().setMousePointer(MousePointer::Default);
    } else if (state == kCallDisconnected) {
        // The call was up and is lost: the host is gone, so the user must be
        // able to try again.
        ReportDisconnected();
    }
    if (state == kCallIdle)
        ForgetCardDetails();
    ui().doEvents();
}

void frmRegistration::ReportDisconnected() {
    ui().beep();
    ui().msgBox(kDisconnected, MsgButtons::Ok, MsgIcon::Critical, kRegistrationTitle);
    // A refused request of the lost call can no longer be answered.
    conversation_.Reset();
    ShowContinue(false);
    EnableWizard(kTrue);
    imgNotConnected->raise();
    lblStatus->setText(QStringLiteral("Connection disconnected"));
    ui().setMousePointer(MousePointer::Default);
}

void frmRegistration::StartFreshLine() {
    receiver_.Reset();
    conversation_.Reset();
    ForgetCardDetails();
}

void frmRegistration::ForgetCardDetails() {
    for (QByteArray *detail :
         {&txtCreditCardNumber, &txtExpiryDate, &txtNameOnCard, &txtCardholderAddress, &txtPlanNbr})
        detail->clear();
    modKestenrol::gCardAccepted = kFalse;
}
