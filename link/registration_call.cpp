#include "registration_call.h"

#include "call_messages.h"
#include "logging.h"
#include "program_state.h"
#include "titles.h"
#include "ui.h"

namespace {

// Kept non-zero even for request 0.
constexpr std::uint32_t kPendingRequest = 0x80000000U;

void ShowMessage(const QByteArray &text, MsgIcon icon) {
    ui().msgBox(text, MsgButtons::Ok, icon, kRegistrationTitle);
}

} // namespace

RegistrationCall::RegistrationCall(CallWindow &window, QObject *parent)
    : QObject(parent), window_(window), conversation_(window, *this),
      receiver_(mReceiveBuffer, mPacketMode, modKestenrol::gLastPacket,
                [this](const QByteArray &frame, QByteArray &lastPacket) {
                    return conversation_.PacketProcess(frame, lastPacket);
                }) {}

RegistrationCall::~RegistrationCall() {
    conversation_.EndCall();
}

void RegistrationCall::DialService(const QByteArray &number) {
    if (ui().programEnded())
        return;
    window_.ShowStatus(QStringLiteral("Dialing Kestrune..."));
    window_.EnableWizard(kFalse);
    ui().setMousePointer(MousePointer::BusyArrow);
    ui().doEvents();

    StartFreshLine();
    const DialResult dial = ctlTAPI.Dial(number);
    if (dial.placed()) {
        mDialRequest =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(dial.requestId) | kPendingRequest);
        return;
    }
    ReportDialRefused(dial);
}

void RegistrationCall::ReportDialRefused(const DialResult &dial) {
    ui().beep();
    ShowMessage(DialRefusedMessage(dial), MsgIcon::Exclamation);
    window_.ShowStatus({});
    ui().setMousePointer(MousePointer::Default);
    window_.ShowConnectionSettings(ctlTAPI);
    window_.EnableWizard(kTrue);
    window_.ShowStatus({});
    ui().setMousePointer(MousePointer::Default);
    ui().doEvents();
}

bool RegistrationCall::CallInProgress() const {
    return ctlTAPI.CallInProgress();
}

void RegistrationCall::HangUp() {
    EndCall();
    if (!CallInProgress())
        return;
    window_.ShowStatus(QStringLiteral("Hanging up connection..."));
    ui().doEvents();
    mHangupRequest = ctlTAPI.HangUp();
}

// The request identifier is not compared: one dial or one hang-up is
// pending at a time.
void RegistrationCall::ctlTAPI_OnTapi(std::int32_t requestId, std::int32_t status) {
    qCDebug(lcModem) << "request" << requestId << "ended with status" << status;
    if (status != 0 && mDialRequest != 0) {
        window_.ShowStatus(QStringLiteral("Call not completed"));
        ShowMessage(CallNotMadeMessage(status, ctlTAPI.InitStringSent()), MsgIcon::Exclamation);
        ui().doEvents();
        window_.EnableWizard(kTrue);
        window_.ShowLineUp(false);
        mDialRequest = 0;
        ui().setMousePointer(MousePointer::Default);
        EndCall();
    }
    if (status != 0 && mHangupRequest != 0) {
        window_.ShowStatus(QStringLiteral("Can't hangup..."));
        ShowMessage(kHangupFailedMessage, MsgIcon::Exclamation);
        ui().doEvents();
        window_.EnableWizard(kTrue);
        window_.ShowLineUp(true);
        mHangupRequest = 0;
        ui().setMousePointer(MousePointer::Default);
    }
}

void RegistrationCall::ctlTAPI_CallState(std::int32_t state, std::int32_t extra) {
    qCDebug(lcModem) << "call state" << state << extra;
    if (mDialRequest != 0) {
        switch (state) {
        case kCallDialling:
            window_.ShowStatus(QStringLiteral("Dialing ..."));
            break;
        case kCallIdle:
            mDialRequest = 0;
            break;
        case kCallBusy:
            ui().beep();
            ShowMessage(kServiceBusyMessage, MsgIcon::Critical);
            window_.EnableWizard(kTrue);
            window_.ShowStatus(QStringLiteral("Kestrune Busy"));
            window_.ShowLineUp(false);
            ui().setMousePointer(MousePointer::Default);
            break;
        case kCallConnected:
            window_.ShowStatus(QStringLiteral("Connected"));
            window_.ShowLineUp(true);
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
            window_.ShowStatus(QStringLiteral("Call complete"));
            // The line is down: the indicator says so.
            window_.ShowLineUp(false);
        }
        ui().setMousePointer(MousePointer::Default);
    } else if (state == kCallDisconnected) {
        // The call was up and is lost: the host is gone, so the user must be
        // able to try again.
        ReportDisconnected();
    }
    if (state == kCallIdle)
        EndCall();
    ui().doEvents();
}

void RegistrationCall::ReportDisconnected() {
    // Before the message: the card window of the lost call must not take a
    // card over it, and a refused request of the call can no longer be
    // answered.
    EndCall();
    ui().beep();
    ShowMessage(kDisconnectedMessage, MsgIcon::Critical);
    window_.ShowContinue(false);
    window_.EnableWizard(kTrue);
    window_.ShowLineUp(false);
    window_.ShowStatus(QStringLiteral("Connection disconnected"));
    ui().setMousePointer(MousePointer::Default);
}

void RegistrationCall::ctlCOMM_OnComm() {
    if (ctlCOMM.CommEvent() != comEvReceive)
        return;
    receiver_.Receive(ctlCOMM.Input(), [this](const QByteArray &text) { Send(text); });
}

void RegistrationCall::Continue() {
    QByteArray packet;
    if (conversation_.PacketProcessContinue(packet) == kFalse)
        return;
    Send(packet);
    mReceiveBuffer.clear();
}

void RegistrationCall::Send(const QByteArray &text) {
    if (ui().programEnded())
        return;
    ctlCOMM.Output(text);
}

void RegistrationCall::EndCall() {
    conversation_.EndCall();
    window_.CloseCardWindow();
}

void RegistrationCall::StartFreshLine() {
    conversation_.EndCall();
    receiver_.Reset();
}
