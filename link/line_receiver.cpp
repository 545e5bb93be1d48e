#include "line_receiver.h"

#include "logging.h"
#include "program_state.h"

#include <utility>

using modKestenrol::gPacketEnd;
using modKestenrol::gPacketEscape;
using modKestenrol::gPacketStart;

namespace {

constexpr char kCR = '\r';
constexpr char kLF = '\n';
const QByteArray kLoginPrompt = QByteArrayLiteral("Login: ");
const QByteArray kPasswordPrompt = QByteArrayLiteral("Password: ");
const QByteArray kConnected = QByteArrayLiteral("connected");

} // namespace

LineReceiver::LineReceiver(QByteArray &mReceiveBuffer, Flag &mPacketMode, QByteArray &gLastPacket,
                           FrameHandler PacketProcess)
    : buffer_(mReceiveBuffer), packetMode_(mPacketMode), lastPacket_(gLastPacket),
      packetProcess_(std::move(PacketProcess)) {}

void LineReceiver::Reset() {
    packetMode_ = kFalse;
    buffer_.clear();
    lastPacket_.clear();
    escaped_ = false;
    skipping_ = false;
    held_.clear();
}

void LineReceiver::Receive(const QByteArray &input, const Sender &send) {
    if (handling_) {
        held_.append(input);
        if (held_.size() > kLongestFrame)
            held_.remove(0, held_.size() - kLongestFrame);
        return;
    }
    receiveNow(input, send);
    while (!held_.isEmpty())
        receiveNow(std::exchange(held_, QByteArray()), send);
}

void LineReceiver::receiveNow(const QByteArray &input, const Sender &send) {
    bool dropRest = false;
    for (const char c : input) {
        if (packetMode_ == kTrue)
            takePacketCharacter(c, send, dropRest);
        else
            takeLoginCharacter(c, send, dropRest);
        if (dropRest)
            return;
    }
}

// The buffer holds the current line. Checked after every character, a line
// that contains "connected" first does so when it ends with it.
void LineReceiver::takeLoginCharacter(char c, const Sender &send, bool &dropRest) {
    if (c == kCR || c == kLF)
        buffer_.clear();
    buffer_.append(c);
    if (buffer_.size() > kLongestLoginLine)
        buffer_.remove(0, buffer_.size() - kLongestLoginLine);
    if (buffer_.endsWith(kLoginPrompt) || buffer_.endsWith(kPasswordPrompt)) {
        qCDebug(lcLine).noquote() << "prompt" << LogText(buffer_) << "answered";
        send(kLoginAnswer);
        buffer_.clear();
    } else if (buffer_.endsWith(kConnected)) {
        qCDebug(lcLine) << "connected: packets from here on";
        packetMode_ = kTrue;
        buffer_.clear();
        escaped_ = false;
        skipping_ = false;
        dropRest = true;
    }
}

// Escape pairs are taken whole, as the unframing does, so a start or end mark
// means the same here as there. What comes before the last start mark is
// dropped at once: unframing would drop it anyway.
void LineReceiver::takePacketCharacter(char c, const Sender &send, bool &dropRest) {
    if (escaped_) {
        escaped_ = false;
        if (!skipping_)
            buffer_.append(c);
    } else if (c == gPacketEscape) {
        escaped_ = true;
        if (!skipping_)
            buffer_.append(c);
    } else if (c == gPacketStart) {
        skipping_ = false;
        buffer_ = QByteArray(1, c);
    } else if (c == gPacketEnd) {
        if (skipping_) {
            skipping_ = false;
            buffer_.clear();
            return;
        }
        buffer_.append(c);
        handleFrame(send, dropRest);
        return;
    } else if (!skipping_) {
        buffer_.append(c);
    }
    if (!skipping_ && buffer_.size() >= kLongestFrame) {
        buffer_.clear();
        skipping_ = true;
    }
}

void LineReceiver::handleFrame(const Sender &send, bool &dropRest) {
    qCDebug(lcLine) << "frame of" << buffer_.size() << "bytes";
    handling_ = true;
    // A copy: nothing the handler does to the line may change the frame.
    const Flag ok = packetProcess_(QByteArray(buffer_), lastPacket_);
    handling_ = false;
    buffer_.clear();
    if (ok != kTrue) {
        qCDebug(lcLine) << "frame not answered; the rest of the read dropped";
        dropRest = true;
        return;
    }
    if (!lastPacket_.isEmpty())
        send(lastPacket_);
}
