#pragma once

#include "conversation_window.h"
#include "flags.h"
#include "program_state.h"

#include <QByteArray>
#include <cstdint>

// The packet conversation with the registration host once the line is in
// packet mode: the host leads, and every packet it sends is answered with
// exactly one packet, prepared here.
class RegistrationConversation {
  public:
    RegistrationConversation(ConversationWindow &window, WizardLinkState &state);

    // Handles the framed packet in mReceiveBuffer. lastPacket is the last
    // reply (gLastPacket) and, on return, the reply to send. True when
    // lastPacket is to be sent, false when nothing is to be sent.
    Flag PacketProcess(QByteArray &lastPacket);

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
    // A new call: no refused request of an earlier one waits any more.
    void Reset() { keptRequest_.clear(); }

  private:
    // Ends the conversation with the host's closing text. True when the
    // last reply is to be sent again (no call is up).
    Flag EndConversation(const QByteArray &closingText);
    // The records of the asked fields, from the entries as they are now.
    QByteArray AnswerFields(std::int32_t fieldMask, bool cardRefused);
    // Opens the card window for field 10 and gives the card fields' records.
    QByteArray AnswerCardField(bool cardRefused);
    QByteArray AnswerField(int fieldNbr, const WizardEntries &entries);

    ConversationWindow &window_;
    WizardLinkState &state_;
    // The packet string of the refused request, out of the serial handler's
    // reach, while the user corrects the entries.
    QByteArray keptRequest_;
    // A modal window of the conversation is open: the host waits.
    bool busy_ = false;
};
