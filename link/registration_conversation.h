#pragma once

#include "card_details.h"
#include "conversation_window.h"
#include "flags.h"

#include <QByteArray>
#include <cstdint>

// The call the conversation runs on: its end hangs the call up.
class ConversationLine {
  public:
    virtual ~ConversationLine() = default;

    // Whether the telephony control has a call up.
    virtual bool CallInProgress() const = 0;
    // The hang-up step: status text, pending events, the hang-up request
    // kept in mHangupRequest.
    virtual void HangUp() = 0;
};

// The packet conversation with the registration host once the line is in
// packet mode: the host leads, and every packet it sends is answered with
// exactly one packet, prepared here. It keeps what the host sent for the
// card window and the card that window accepted, for one call.
class RegistrationConversation {
  public:
    RegistrationConversation(ConversationWindow &window, ConversationLine &line);

    // Handles one framed packet from the host. lastPacket is the last reply
    // (gLastPacket) and, on return, the reply to send. True when lastPacket
    // is to be sent, false when nothing is to be sent.
    Flag PacketProcess(const QByteArray &frame, QByteArray &lastPacket);

    // Answers the request the host refused and the user has corrected,
    // after Continue. True when packet is to be sent; it is then also the
    // last reply, so that a repeat from the host gets the same bytes.
    Flag PacketProcessContinue(QByteArray &packet);

    // The answer records for a request's field mask (strData1) and rejection
    // value (strData2). Not ok when the host refused fields that the user
    // can correct: the user has then been shown the first of them.
    void PacketProcessRequest(const QByteArray &strData1, const QByteArray &strData2,
                              QByteArray &answer, Flag &ok);

    // Keeps one field of the host's data packets.
    void PacketProcessData(std::int16_t intFieldNbr, const QByteArray &strFieldData);

    // A refused request is kept until Continue answers it.
    bool waitingForContinue() const { return !keptRequest_.isEmpty(); }
    // The fields that the refused request waiting for Continue asks for; 0
    // when none waits.
    std::int32_t RefusedFields() const;
    // The call is over, however it ended, or a new one starts: the card and
    // the last reply are wiped, no refused request waits any more, and what
    // a window still open for the call gives goes nowhere.
    void EndCall();

    // The last card details that the card window accepted.
    const CardDetails &KeptCard() const { return card_; }
    QByteArray PlanDetails() const { return txtPlanDetails; }
    std::int16_t PlanNbrLo() const { return intPlanNbrLo; }
    std::int16_t PlanNbrHi() const { return intPlanNbrHi; }

  private:
    // The call a request came on is gone (or the program is ending) once
    // the windows it opened return: nothing more is done for it.
    bool CallGoneSince(std::uint64_t call) const;
    void ForgetCardDetails();
    // Makes the reply of the kind to the packet the last reply. The answer
    // and the packet string are wiped once sealed: they may carry the card.
    void SetReply(QByteArray &lastPacket, std::int16_t kind, const QByteArray &tag,
                  const QByteArray &sequence, QByteArray &answer);
    // Ends the conversation with the host's closing text. True when the
    // last reply is to be sent again (no call is up).
    Flag EndConversation(const QByteArray &closingText);
    // The records of the asked fields, from the entries as they are now.
    QByteArray AnswerFields(std::int32_t fieldMask, bool cardRefused);
    // Opens the card window for field 10 and gives the card fields' records.
    QByteArray AnswerCardField(bool cardRefused, const WizardEntries &entries);
    QByteArray AnswerField(int fieldNbr, const WizardEntries &entries);

    ConversationWindow &window_;
    ConversationLine &line_;
    // The packet string of the refused request, out of the serial handler's
    // reach, while the user corrects the entries.
    QByteArray keptRequest_;
    // A modal window of the conversation is open: the host waits.
    bool busy_ = false;
    // Counts the calls ended, so that a window that outlives its call is
    // told apart.
    std::uint64_t callsEnded_ = 0;
    // The sequence of the last reply, to know a repeat by without opening
    // the reply (which may carry the card) again.
    QByteArray lastSequence_;

    CardDetails card_;
    QByteArray txtPlanDetails;     // the plan list text sent by the host
    std::int16_t intPlanNbrLo = 0; // first plan number sent by the host
    std::int16_t intPlanNbrHi = 0; // last plan number sent by the host
    QByteArray mCommand1;          // registry value Command1, read for the host's requests
    QByteArray mCommand2;          // registry value Command2
};
