#pragma once

#include "call_window.h"
#include "hayes_telephony.h"
#include "line_receiver.h"
#include "registration_conversation.h"

#include <QObject>
#include <cstdint>

// The call to the registration host, from Submit's dial to the hang-up: the
// telephony control and its serial line, the answers to the host's login
// and the packet conversation after it. A received frame goes from the line
// to the conversation and its reply back to the line here; the window only
// shows how the call goes.
//
// The owner routes the telephony control's OnTapi and CallState and the
// line's OnComm to ctlTAPI_OnTapi, ctlTAPI_CallState and ctlCOMM_OnComm.
class RegistrationCall final : public QObject, private ConversationLine {
    Q_OBJECT
  public:
    explicit RegistrationCall(CallWindow &window, QObject *parent = nullptr);
    // Nothing of the call's card outlives it.
    ~RegistrationCall() override;

    // The telephony control and, once a call is up, its serial line.
    HayesTelephony ctlTAPI;
    SerialLine &ctlCOMM = ctlTAPI.Line();

    // Starts the call: locks the wizard and dials. A dial the telephony
    // control refuses is reported and leads to the connection settings.
    // Once the program is ending nothing is dialled.
    void DialService(const QByteArray &number);
    bool CallInProgress() const override;
    // Ends the call's conversation; when a call is in progress: status
    // text, pending events, and the hang-up request kept in mHangupRequest.
    void HangUp() override;

    void ctlTAPI_OnTapi(std::int32_t requestId, std::int32_t status);
    void ctlTAPI_CallState(std::int32_t state, std::int32_t extra);
    void ctlCOMM_OnComm();
    // Continue: the refused request answered from the corrected entries.
    void Continue();

    const RegistrationConversation &Conversation() const { return conversation_; }
    std::int32_t DialRequest() const { return mDialRequest; }
    std::int32_t HangupRequest() const { return mHangupRequest; }
    Flag PacketMode() const { return mPacketMode; }

  private:
    // The dial was refused: the user is told, and may correct the modem or
    // location settings.
    void ReportDialRefused(const DialResult &dial);
    // The call was lost: the user is told, and the wizard is theirs again.
    void ReportDisconnected();
    // The call is over, however it ended: its card is wiped, and a card
    // window still open for it closes.
    void EndCall();
    // A new call starts with nothing left over from an earlier one.
    void StartFreshLine();
    // Once the program is ending only the hang-up goes on the line.
    void Send(const QByteArray &text);

    CallWindow &window_;
    std::int32_t mDialRequest = 0;   // pending dial request, 0 when none
    std::int32_t mHangupRequest = 0; // pending hang-up request, 0 when none
    QByteArray mReceiveBuffer;       // received since the last prompt or packet end
    Flag mPacketMode = kFalse;       // true once the host has said "connected"
    RegistrationConversation conversation_;
    LineReceiver receiver_;
};
