#include "registration_conversation.h"

#include "field_records.h"
#include "field_requests.h"
#include "logging.h"
#include "number_codec.h"
#include "packet_codec.h"
#include "program_state.h"
#include "titles.h"
#include "ui.h"
#include "wipe.h"

#include <QByteArrayList>
#include <QScopedValueRollback>
#include <optional>

namespace {

enum PacketKind : std::int16_t { kRequest = 1, kData = 2, kAcknowledgement = 3, kEnd = 4 };

struct Packet {
    std::int16_t length = 0;
    std::int16_t kind = 0;
    QByteArray tag;
    QByteArray sequence;
    QByteArray data1;
    QByteArray data2;
};

std::optional<Packet> Split(const QByteArray &packetString) {
    Packet packet;
    if (PacketUnString(packetString, packet.length, packet.kind, packet.tag, packet.sequence,
                       packet.data1, packet.data2) == kFalse)
        return std::nullopt;
    return packet;
}

QByteArray SequenceOf(const QByteArray &packetString) {
    const std::optional<Packet> packet = Split(packetString);
    return packet ? packet->sequence : QByteArray();
}

// Records as the log shows them: the card's fields (10 to 13), the password
// (17) and the account's login texts (25, 26) by their length only.
QByteArray Logged(const QByteArray &records) {
    QByteArrayList shown;
    PacketProcessFields(records, {}, [&shown](std::int16_t field, const QByteArray &text) {
        const bool secret = (field >= 10 && field <= 13) || field == 17 || field >= 25;
        shown.append(QByteArray::number(field) + '=' +
                     (secret ? Redacted(text) : '"' + LogText(text) + '"'));
    });
    return shown.join(' ');
}

} // namespace

RegistrationConversation::RegistrationConversation(ConversationWindow &window,
                                                   ConversationLine &line)
    : window_(window), line_(line) {}

Flag RegistrationConversation::PacketProcess(const QByteArray &frame, QByteArray &lastPacket) {
    // A packet that arrives while the card window or a message is open is
    // the host not waiting for its answer: it is dropped. Once the program
    // is ending nothing more is answered.
    if (busy_ || ui().programEnded())
        return kFalse;
    const QScopedValueRollback<bool> busy(busy_, true);
    const std::uint64_t call = callsEnded_;

    const QByteArray received = PacketUnPack(frame);
    const QByteArray lastSequence = lastPacket.isEmpty() ? QByteArray() : lastSequence_;

    const std::optional<Packet> packet = Split(received);
    if (!packet) {
        qCDebug(lcConversation) << "a packet that does not check, dropped";
        return kFalse;
    }
    qCDebug(lcConversation).noquote()
        << "received kind" << packet->kind << "sequence" << packet->sequence.toHex();
    // Already answered: the host missed the answer, so it goes again as it was.
    if (packet->sequence == lastSequence)
        return kTrue;
    // The refused request waits for the user's corrections and Continue.
    if (waitingForContinue() && packet->sequence == SequenceOf(keptRequest_))
        return kFalse;

    switch (packet->kind) {
    case kRequest: {
        QByteArray answer;
        Flag ok = kFalse;
        PacketProcessRequest(packet->data1, packet->data2, answer, ok);
        if (CallGoneSince(call)) {
            WipeIfLast(answer);
            return kFalse;
        }
        if (ok == kFalse) {
            keptRequest_ = received;
            window_.ShowContinue(true);
            return kFalse;
        }
        qCDebug(lcConversation).noquote() << "answered" << Logged(answer);
        SetReply(lastPacket, kData, packet->tag, packet->sequence, answer);
        return kTrue;
    }
    case kData: {
        qCDebug(lcConversation).noquote() << "data" << Logged(packet->data1 + packet->data2);
        const Flag kept =
            PacketProcessFields(packet->data1, packet->data2,
                                [this](std::int16_t intFieldNbr, const QByteArray &strFieldData) {
                                    PacketProcessData(intFieldNbr, strFieldData);
                                });
        if (CallGoneSince(call))
            return kFalse;
        if (kept != kFalse) {
            QByteArray none;
            SetReply(lastPacket, kAcknowledgement, packet->tag, packet->sequence, none);
        }
        return kTrue;
    }
    case kEnd:
        return EndConversation(packet->data1 + packet->data2);
    default:
        return kTrue;
    }
}

Flag RegistrationConversation::PacketProcessContinue(QByteArray &packet) {
    if (busy_ || !waitingForContinue() || ui().programEnded())
        return kFalse;
    const QScopedValueRollback<bool> busy(busy_, true);
    const std::uint64_t call = callsEnded_;
    const std::optional<Packet> request = Split(keptRequest_);
    keptRequest_.clear();
    if (!request)
        return kFalse;

    window_.EnableWizard(kFalse);
    window_.ShowContinue(false);
    // Every asked field now goes from the corrected entries, as for a first
    // request; a refused card is still reported before the card window.
    const std::int32_t fieldMask = BytesToLong(request->data1).value_or(0);
    const bool cardRefused = BytesToLong(request->data2) == kCardRefused;
    QByteArray answer = AnswerFields(fieldMask, cardRefused);
    if (CallGoneSince(call)) {
        WipeIfLast(answer);
        return kFalse;
    }
    qCDebug(lcConversation).noquote() << "answered after Continue" << Logged(answer);
    SetReply(modKestenrol::gLastPacket, kData, request->tag, request->sequence, answer);
    packet = modKestenrol::gLastPacket;
    return kTrue;
}

std::int32_t RegistrationConversation::RefusedFields() const {
    const std::optional<Packet> request = Split(keptRequest_);
    return request ? BytesToLong(request->data1).value_or(0) : 0;
}

void RegistrationConversation::EndCall() {
    ++callsEnded_;
    ForgetCardDetails();
    WipeIfLast(modKestenrol::gLastPacket);
    lastSequence_.clear();
    keptRequest_.clear();
}

bool RegistrationConversation::CallGoneSince(std::uint64_t call) const {
    return call != callsEnded_ || ui().programEnded();
}

void RegistrationConversation::ForgetCardDetails() {
    card_.Wipe();
    modKestenrol::gCardAccepted = kFalse;
}

// A reply carries the tag and sequence of the packet it answers.
void RegistrationConversation::SetReply(QByteArray &lastPacket, std::int16_t kind,
                                        const QByteArray &tag, const QByteArray &sequence,
                                        QByteArray &answer) {
    QByteArray packetString = PacketString(kind, tag, sequence, answer);
    WipeIfLast(answer);
    // The reply it replaces goes with it.
    WipeIfLast(lastPacket);
    lastPacket = PacketPack(packetString);
    WipeIfLast(packetString);
    lastSequence_ = sequence;
}

Flag RegistrationConversation::EndConversation(const QByteArray &closingText) {
    if (!line_.CallInProgress())
        return kTrue;
    // The registration is over: nothing of the card outlives it.
    EndCall();
    line_.HangUp();
    ui().doEvents();
    ui().setMousePointer(MousePointer::Default);
    ui().msgBox(closingText + "\r\n\r\nThe Registration program will exit.", MsgButtons::Ok,
                MsgIcon::Exclamation, kRegistrationTitle);
    ui().endProgram();
    // The program is ending: nothing more goes on the line.
    return kFalse;
}
