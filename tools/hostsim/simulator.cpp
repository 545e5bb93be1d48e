#include "simulator.h"

#include "host_packets.h"
#include "number_codec.h"
#include "packet_codec.h"
#include "program_state.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using modKestenrol::gPacketEnd;
using modKestenrol::gPacketEscape;
using modKestenrol::gPacketStart;

namespace {

constexpr char kCR = '\r';
constexpr char kLF = '\n';
constexpr std::int16_t kRequestKind = 1;
constexpr std::int16_t kDataKind = 2;
constexpr std::int16_t kAckKind = 3;
constexpr std::int16_t kEndKind = 4;
// Requests for these fields (10 to 13 and 24) open the subscriber's card
// window: they are waited for without limit.
constexpr std::uint32_t kCardFields = 0x00801E00;
// How much the host keeps of what it hears, and of a frame.
constexpr qsizetype kHeardKept = 4096;
constexpr qsizetype kLongestFrameHeard = 8192;
// Babble is queued a piece at a time, so that the simulator itself stays
// small however much it sends.
constexpr qsizetype kBabblePiece = 64 * 1024;
// How often the simulator looks whether the line has been opened again.
constexpr int kReopenPoll = 10;
// A slowed host reads a piece this often.
constexpr int kReadsPerSecond = 50;
// The longest control line kept.
constexpr qsizetype kLongestControlLine = 256;
const QByteArray kConnected = QByteArrayLiteral("connected");

QByteArray PacketLabel(std::int16_t kind, const QByteArray &sequence) {
    return "kind=" + QByteArray::number(kind) + " seq=" + sequence.toHex();
}

// What a host slowed to the rate reads at a time.
size_t ReadPiece(int rate, size_t most) {
    return std::clamp<size_t>(static_cast<size_t>(rate / kReadsPerSecond), 1, most);
}

int Milliseconds(std::chrono::steady_clock::duration span) {
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(span).count();
    return static_cast<int>(std::clamp<long long>(ms, 0, 60'000));
}

} // namespace

Simulator::Simulator(const Scenario &scenario, int master, int listener, Recorder &recorder)
    : scenario_(scenario), recorder_(recorder), master_(master), listener_(listener) {}

int Simulator::run() {
    while (!closed_) {
        const TimePoint now = Clock::now();
        onDeadlines(now);
        if (closed_)
            break;
        pumpBabble();
        const std::optional<TimePoint> deadline = nextDeadline();
        int timeout = deadline ? Milliseconds(*deadline - Clock::now()) : -1;

        pollfd watched[3]{};
        nfds_t count = 0;
        pollfd line{master_, POLLIN, 0};
        if (!slaveOpen_) {
            // Nobody has the line open: the master reports a hang-up at once
            // until somebody does.
            if (::poll(&line, 1, 0) >= 0 && (line.revents & POLLHUP) != 0)
                timeout = timeout < 0 ? kReopenPoll : std::min(timeout, kReopenPoll);
            else
                lineOpened();
        }
        // A slowed host does not look at what the caller sent until its next
        // read is due.
        const bool paused = readPaused(Clock::now());
        const auto lineEvents =
            static_cast<short>((paused ? 0 : POLLIN) | (output_.empty() ? 0 : POLLOUT));
        pollfd *const lineWatch = slaveOpen_ ? &watched[count++] : nullptr;
        if (lineWatch != nullptr)
            *lineWatch = {master_, lineEvents, 0};
        pollfd *const listenWatch = listener_ >= 0 ? &watched[count++] : nullptr;
        if (listenWatch != nullptr)
            *listenWatch = {listener_, POLLIN, 0};
        pollfd *const controlWatch = control_ >= 0 ? &watched[count++] : nullptr;
        if (controlWatch != nullptr)
            *controlWatch = {control_, POLLIN, 0};
        if (::poll(watched, count, timeout) < 0) {
            if (errno == EINTR)
                continue;
            return 1;
        }
        if (controlWatch != nullptr && controlWatch->revents != 0)
            readControl();
        if (listenWatch != nullptr && listenWatch->revents != 0)
            acceptControl();
        if (lineWatch == nullptr)
            continue;
        const bool hungUp = (lineWatch->revents & (POLLHUP | POLLERR)) != 0;
        if ((lineWatch->revents & POLLIN) != 0)
            readLine(Clock::now(), scenario_.readRate > 0);
        else if (paused && hungUp)
            readLine(Clock::now(), false); // what the caller sent before it went, then EIO
        if (slaveOpen_ && (lineWatch->revents & POLLOUT) != 0)
            writeOut();
        if (slaveOpen_ && hungUp && (lineWatch->revents & POLLIN) == 0)
            lineClosed();
    }
    return 0;
}

void Simulator::lineOpened() {
    slaveOpen_ = true;
    recorder_.record("line-opened");
}

// Closing the device drops DTR. A modem that ignores DTR keeps its call,
// and goes on talking to nobody.
void Simulator::lineClosed() {
    slaveOpen_ = false;
    if (!scenario_.ignoreDtr) {
        if (callUp_)
            endCall("hangup line-closed");
        dialling_ = false;
        dialDue_.reset();
        echo_ = true;
        command_.clear();
    }
    output_.clear();
    outputOffset_ = 0;
    outputSize_ = 0;
    recorder_.record("line-closed");
}

// One client at a time; a new one takes the place of the last.
void Simulator::acceptControl() {
    const int client = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (client < 0)
        return;
    if (control_ >= 0)
        ::close(control_);
    control_ = client;
    controlIn_.clear();
    tellCarrier();
}

void Simulator::readControl() {
    char buffer[256];
    for (;;) {
        const ssize_t got = ::read(control_, buffer, sizeof buffer);
        if (got > 0) {
            controlIn_.append(buffer, static_cast<qsizetype>(got));
            for (qsizetype end = controlIn_.indexOf('\n'); end >= 0;
                 end = controlIn_.indexOf('\n')) {
                const QByteArray line = controlIn_.left(end).trimmed();
                controlIn_.remove(0, end + 1);
                controlLine(line);
            }
            if (controlIn_.size() > kLongestControlLine)
                controlIn_.clear();
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        ::close(control_);
        control_ = -1;
        return;
    }
}

void Simulator::controlLine(const QByteArray &line) {
    if (line == "dtr off" && dtr_) {
        dtr_ = false;
        dropDtr();
    } else if (line == "dtr on" && !dtr_) {
        dtr_ = true;
        recorder_.record("dtr-raised");
    }
}

void Simulator::dropDtr() {
    recorder_.record("dtr-dropped");
    if (scenario_.ignoreDtr)
        return;
    if (callUp_) {
        endCall("hangup dtr");
    } else if (dialling_) {
        dialling_ = false;
        dialDue_.reset();
        recorder_.record("dial-aborted");
    }
}

void Simulator::tellCarrier() {
    if (control_ < 0)
        return;
    const QByteArray line = callUp_ ? "dcd on\n" : "dcd off\n";
    ::send(control_, line.constData(), static_cast<size_t>(line.size()), MSG_NOSIGNAL);
}

bool Simulator::readPaused(TimePoint now) const {
    return scenario_.readRate > 0 && now < readDue_;
}

// Paced, one piece is read, and the next is due when the rate allows.
void Simulator::readLine(TimePoint now, bool paced) {
    char buffer[4096];
    const size_t most = paced ? ReadPiece(scenario_.readRate, sizeof buffer) : sizeof buffer;
    for (;;) {
        const ssize_t got = ::read(master_, buffer, most);
        if (got > 0) {
            const QByteArray bytes(buffer, static_cast<qsizetype>(got));
            if (online_) {
                onlineBytes(bytes, now);
            } else {
                for (const char c : bytes)
                    modemByte(c, now);
            }
            if (!paced)
                continue;
            readDue_ = now + std::chrono::microseconds(got * 1'000'000LL / scenario_.readRate);
            return;
        }
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        // EIO: the other side has closed the line.
        if (slaveOpen_)
            lineClosed();
        return;
    }
}

void Simulator::writeOut() {
    while (!output_.empty()) {
        Chunk &chunk = output_.front();
        const ssize_t wrote = ::write(master_, chunk.bytes.constData() + outputOffset_,
                                      static_cast<size_t>(chunk.bytes.size() - outputOffset_));
        if (wrote < 0) {
            if (errno != EAGAIN && errno != EINTR && slaveOpen_)
                lineClosed();
            return;
        }
        outputOffset_ += wrote;
        outputSize_ -= wrote;
        if (outputOffset_ < chunk.bytes.size())
            return;
        if (!chunk.traceAfter.isEmpty())
            recorder_.trace(chunk.traceAfter);
        output_.pop_front();
        outputOffset_ = 0;
    }
}

void Simulator::queue(const QByteArray &bytes, const QByteArray &traceAfter) {
    if (!slaveOpen_ || bytes.isEmpty())
        return;
    output_.push_back({bytes, traceAfter});
    outputSize_ += bytes.size();
    writeOut();
}

void Simulator::pumpBabble() {
    while (babbleLeft_ > 0 && callUp_ && online_ && outputSize_ < kBabblePiece) {
        const qsizetype size = std::min<qint64>(babbleLeft_, kBabblePiece);
        QByteArray piece(size, Qt::Uninitialized);
        for (qsizetype at = 0; at < size; ++at) {
            char c = static_cast<char>('a' + (babbleLeft_ - at) % 26);
            if (babbleRandom_) {
                babbleSeed_ = babbleSeed_ * 1103515245U + 12345U;
                c = static_cast<char>(babbleSeed_ >> 16);
                if (c == kCR || c == kLF || c == gPacketEnd)
                    c = 'x';
            }
            piece[at] = c;
        }
        babbleLeft_ -= size;
        queue(piece);
    }
}

std::optional<Simulator::TimePoint> Simulator::nextDeadline() const {
    std::optional<TimePoint> next = dialDue_;
    const auto consider = [&next](TimePoint when) {
        if (!next || when < *next)
            next = when;
    };
    if (escapeDue_)
        consider(*escapeDue_);
    if (slaveOpen_ && readPaused(Clock::now()))
        consider(readDue_);
    if (script_ != nullptr && callUp_ &&
        (wait_ == HostWait::Timer || wait_ == HostWait::Pieces || wait_ == HostWait::Expect ||
         (wait_ == HostWait::Answer && due_ != TimePoint::max())))
        consider(due_);
    return next;
}

void Simulator::onDeadlines(TimePoint now) {
    if (dialDue_ && now >= *dialDue_)
        finishDial(now);
    if (escapeDue_ && now >= *escapeDue_) {
        escapeDue_.reset();
        pluses_ = 0;
        online_ = false;
        recorder_.record("escape");
        result("OK");
    }
    hostAdvance(now);
}

void Simulator::modemByte(char c, TimePoint now) {
    if (dialling_) {
        // Any character gives up the dial.
        dialling_ = false;
        dialDue_.reset();
        recorder_.record("dial-aborted");
        if (scenario_.dialAnswer != DialAnswer::Silent)
            result("NO CARRIER");
        return;
    }
    if (echo_ && !scenario_.mute)
        queue(QByteArray(1, c));
    if (c == kLF)
        return;
    if (c != kCR) {
        if (command_.size() < 256)
            command_.append(c);
        return;
    }
    // What comes before "AT" is not part of the command.
    const qsizetype start = command_.toUpper().indexOf("AT");
    const QByteArray command = start >= 0 ? command_.mid(start).trimmed() : QByteArray();
    command_.clear();
    if (!command.isEmpty())
        runCommand(command, now);
}

void Simulator::runCommand(const QByteArray &command, TimePoint now) {
    // A mute modem hears the command, for the record, and does nothing.
    recorder_.record("command " + Quote(command));
    if (scenario_.mute)
        return;
    if (scenario_.errorAll) {
        result("ERROR");
        return;
    }
    const QByteArray upper = command.toUpper();
    for (qsizetype at = 2; at < upper.size(); ++at) {
        const char letter = upper[at];
        const auto digit = [&] {
            return at + 1 < upper.size() && upper[at + 1] >= '0' && upper[at + 1] <= '9'
                       ? upper[++at]
                       : '0';
        };
        if (letter == 'D') {
            recorder_.record("dial " + Quote(command.mid(at + 1)));
            dialling_ = true;
            if (scenario_.dialAnswer != DialAnswer::Silent)
                dialDue_ = now + std::chrono::milliseconds(scenario_.dialDelay);
            return;
        }
        if (letter == 'E') {
            echo_ = digit() != '0';
        } else if (letter == 'Z') {
            digit();
            echo_ = true;
        } else if (letter == 'I') {
            digit();
            if (!scenario_.identity.isEmpty())
                queue("\r\n" + scenario_.identity + "\r\n");
        } else if (letter == 'H') {
            digit();
            if (callUp_)
                endCall("hangup ath");
        } else if (letter == 'O') {
            if (callUp_) {
                online_ = true;
                lastFromLine_ = now;
                result("CONNECT");
                return;
            }
        }
    }
    result("OK");
}

void Simulator::result(const QByteArray &text) {
    if (!scenario_.mute)
        queue("\r\n" + text + "\r\n");
}

void Simulator::finishDial(TimePoint now) {
    dialDue_.reset();
    dialling_ = false;
    QByteArray answer;
    switch (scenario_.dialAnswer) {
    case DialAnswer::Connect:
        answer = scenario_.connectSpeed > 0
                     ? "CONNECT " + QByteArray::number(scenario_.connectSpeed)
                     : QByteArray("CONNECT");
        break;
    case DialAnswer::Busy:
        answer = "BUSY";
        break;
    case DialAnswer::NoCarrier:
        answer = "NO CARRIER";
        break;
    case DialAnswer::NoAnswer:
        answer = "NO ANSWER";
        break;
    case DialAnswer::NoDialtone:
        answer = "NO DIALTONE";
        break;
    case DialAnswer::Error:
        answer = "ERROR";
        break;
    case DialAnswer::Silent:
        return;
    }
    recorder_.record("result " + Quote(answer));
    result(answer);
    if (scenario_.dialAnswer == DialAnswer::Connect)
        startCall(now);
}

void Simulator::startCall(TimePoint now) {
    callUp_ = true;
    tellCarrier();
    online_ = true;
    lastFromLine_ = now;
    pluses_ = 0;
    ++callNumber_;
    const qsizetype script = std::min<qsizetype>(callNumber_, scenario_.calls.size()) - 1;
    script_ = &scenario_.calls[script];
    nextStep_ = 0;
    wait_ = HostWait::Ready;
    pieces_.clear();
    heard_.clear();
    inPackets_ = false;
    frame_.clear();
    lastFrame_.clear();
    frameEscaped_ = false;
    connectedAt_.reset();
    packetSent_ = false;
    packetCounter_ = 0;
    lastWire_.clear();
    babbleLeft_ = 0;
    recorder_.record("call " + QByteArray::number(callNumber_));
    hostAdvance(now);
}

void Simulator::endCall(const QByteArray &recordLine) {
    callUp_ = false;
    tellCarrier();
    online_ = false;
    script_ = nullptr;
    babbleLeft_ = 0;
    escapeDue_.reset();
    pluses_ = 0;
    // What the host still had to say goes with the call.
    output_.clear();
    outputOffset_ = 0;
    outputSize_ = 0;
    recorder_.record(recordLine);
}

// Everything goes to the host; "+++" after a guard time of silence, and
// followed by another, also returns the modem to command mode.
void Simulator::onlineBytes(const QByteArray &bytes, TimePoint now) {
    const auto guard = std::chrono::milliseconds(scenario_.guard);
    for (const char c : bytes) {
        if (c == '+' && pluses_ < 3 && (pluses_ > 0 || now - lastFromLine_ >= guard)) {
            if (++pluses_ == 3)
                escapeDue_ = now + guard;
        } else {
            pluses_ = 0;
            escapeDue_.reset();
        }
        lastFromLine_ = now;
    }
    hostReceive(bytes, now);
}

void Simulator::hostSend(const QByteArray &bytes, const QByteArray &traceAfter) {
    if (callUp_ && online_)
        queue(bytes, traceAfter);
}

void Simulator::hostReceive(const QByteArray &bytes, TimePoint now) {
    if (script_ == nullptr && !inPackets_)
        return;
    if (wait_ == HostWait::Answer && !firstByteSeen_) {
        firstByteSeen_ = true;
        recorder_.trace("first-byte seq=" + awaitedSequence_.toHex());
    }
    heard_.append(bytes);
    if (heard_.size() > kHeardKept)
        heard_.remove(0, heard_.size() - kHeardKept);
    if (inPackets_) {
        for (const char c : bytes) {
            if (frameEscaped_) {
                frameEscaped_ = false;
                frame_.append(c);
            } else if (c == gPacketEscape) {
                frameEscaped_ = true;
                frame_.append(c);
            } else if (c == gPacketStart) {
                frame_ = QByteArray(1, c);
            } else if (c == gPacketEnd) {
                frame_.append(c);
                hostFrame(frame_);
                frame_.clear();
            } else {
                frame_.append(c);
            }
            if (frame_.size() > kLongestFrameHeard)
                frame_.clear();
        }
    }
    hostAdvance(now);
}

void Simulator::hostFrame(const QByteArray &frame) {
    const ReceivedPacket packet = DescribeFrame(frame);
    for (const QByteArray &line : packet.lines)
        recorder_.record(line);
    // A packet sent again unchanged, not built afresh (which would seal it
    // with another nonce).
    if (packet.ok) {
        if (frame == lastFrame_)
            recorder_.record("same-bytes");
        lastFrame_ = frame;
    }
    if (wait_ != HostWait::Answer)
        return;
    if (await_ == Await::Any || (packet.ok && packet.sequence == awaitedSequence_))
        wait_ = HostWait::Ready;
}

void Simulator::hostAdvance(TimePoint now) {
    while (script_ != nullptr && callUp_) {
        switch (wait_) {
        case HostWait::Timer:
            if (now < due_)
                return;
            wait_ = HostWait::Ready;
            break;
        case HostWait::Pieces:
            if (now < due_)
                return;
            writePiece(now);
            break;
        case HostWait::Expect: {
            const qsizetype found = heard_.indexOf(expected_);
            if (found >= 0) {
                recorder_.record("answer " + Quote(expected_));
                heard_.remove(0, found + expected_.size());
                wait_ = HostWait::Ready;
            } else if (now >= due_) {
                recorder_.record("missing " + Quote(expected_) + " heard " + Quote(heard_));
                script_ = nullptr;
                return;
            } else {
                return;
            }
            break;
        }
        case HostWait::Answer:
            if (now < due_)
                return;
            answerOverdue(now);
            if (wait_ == HostWait::Answer)
                return;
            break;
        case HostWait::Drain:
            if (babbleLeft_ > 0 || !output_.empty())
                return;
            wait_ = HostWait::Ready;
            break;
        case HostWait::Ready:
            if (nextStep_ >= script_->size()) {
                recorder_.record("script-done");
                script_ = nullptr;
                return;
            }
            if (!hostStep((*script_)[nextStep_], now))
                return;
            ++nextStep_;
            break;
        }
    }
}

// Starts the step; false when it cannot start yet.
bool Simulator::hostStep(const Step &step, TimePoint now) {
    switch (step.kind) {
    case Step::Kind::Send:
        pieces_ = step.texts;
        piecesSent_.clear();
        writePiece(now);
        return true;
    case Step::Kind::Expect:
        expected_ = step.texts.value(0);
        due_ = now + std::chrono::milliseconds(scenario_.expectWait);
        wait_ = HostWait::Expect;
        return true;
    case Step::Kind::Wait:
        due_ = now + std::chrono::milliseconds(step.amount);
        wait_ = HostWait::Timer;
        return true;
    case Step::Kind::Babble:
        babbleLeft_ = step.amount;
        babbleRandom_ = step.random;
        wait_ = HostWait::Drain;
        pumpBabble();
        return true;
    case Step::Kind::Drop:
        endCall("drop");
        if (!step.quiet)
            result("NO CARRIER");
        return true;
    case Step::Kind::Close:
        recorder_.record("close");
        ::close(master_);
        closed_ = true;
        script_ = nullptr;
        return false;
    default:
        break;
    }
    // A packet step: the first packet waits for its delay after "connected".
    if (!packetSent_ && connectedAt_ &&
        now < *connectedAt_ + std::chrono::milliseconds(scenario_.firstPacketDelay)) {
        due_ = *connectedAt_ + std::chrono::milliseconds(scenario_.firstPacketDelay);
        wait_ = HostWait::Timer;
        return false;
    }
    sendPacket(step, now);
    return true;
}

void Simulator::sendPacket(const Step &step, TimePoint now) {
    std::int16_t kind = 0;
    QByteArray data;
    Await await = Await::Same;
    patient_ = false;
    switch (step.kind) {
    case Step::Kind::Request:
        kind = kRequestKind;
        data = RequestData(step.mask, step.reject);
        patient_ = (step.mask & kCardFields) != 0 || step.reject != 0;
        break;
    case Step::Kind::Data:
        kind = kDataKind;
        data = DataRecords(step.records);
        break;
    case Step::Kind::Ack:
        kind = kAckKind;
        await = Await::Any;
        break;
    case Step::Kind::Packet:
        kind = static_cast<std::int16_t>(step.packetKind);
        data = step.texts.value(0);
        await = Await::Any;
        break;
    case Step::Kind::Malformed:
        kind = kDataKind;
        await = Await::None;
        break;
    case Step::Kind::End:
        kind = kEndKind;
        data = step.texts.value(0);
        await = Await::None;
        break;
    default:
        break;
    }

    if (step.kind == Step::Kind::Repeat) {
        if (lastWire_.isEmpty()) {
            recorder_.record("nothing-to-repeat");
            return;
        }
        wire_ = lastWire_;
        awaitedSequence_ = lastSequence_;
        await_ = lastAwait_;
        patient_ = lastPatient_;
        recorder_.record("sent repeat seq=" + awaitedSequence_.toHex());
    } else {
        ++packetCounter_;
        const QByteArray tag = step.tag.value_or("KS" + IntToBytes(packetCounter_));
        const QByteArray sequence = step.sequence.value_or(IntToBytes(packetCounter_));
        wire_ = step.kind == Step::Kind::Malformed
                    ? MalformedPacket(tag, sequence)
                    : PacketPack(PacketString(kind, tag, sequence, data));
        awaitedSequence_ = sequence;
        await_ = step.await.value_or(await);
        recorder_.record("sent " + PacketLabel(kind, sequence) + " tag=" + tag.toHex());
    }
    lastWire_ = wire_;
    lastSequence_ = awaitedSequence_;
    lastAwait_ = await_;
    lastPatient_ = patient_;
    packetSent_ = true;
    firstByteSeen_ = false;
    hostSend(wire_, "sent seq=" + awaitedSequence_.toHex());

    switch (await_) {
    case Await::Same:
        resendsLeft_ = scenario_.resends;
        due_ = patient_ ? TimePoint::max() : now + std::chrono::milliseconds(scenario_.resendAfter);
        wait_ = HostWait::Answer;
        break;
    case Await::Any:
        due_ = now + std::chrono::milliseconds(scenario_.answerWait);
        wait_ = HostWait::Answer;
        break;
    case Await::None:
        wait_ = HostWait::Ready;
        break;
    }
}

void Simulator::answerOverdue(TimePoint now) {
    if (await_ == Await::Any) {
        recorder_.record("no-answer seq=" + awaitedSequence_.toHex());
        wait_ = HostWait::Ready;
        return;
    }
    if (resendsLeft_ > 0) {
        --resendsLeft_;
        recorder_.record("resend seq=" + awaitedSequence_.toHex());
        firstByteSeen_ = false;
        hostSend(wire_, "resent seq=" + awaitedSequence_.toHex());
        due_ = now + std::chrono::milliseconds(scenario_.resendAfter);
        return;
    }
    recorder_.record("gave-up seq=" + awaitedSequence_.toHex());
    endCall("drop");
    result("NO CARRIER");
}

void Simulator::writePiece(TimePoint now) {
    const QByteArray piece = pieces_.takeFirst();
    hostSend(piece);
    piecesSent_ += piece;
    if (!pieces_.isEmpty()) {
        due_ = now + std::chrono::milliseconds(scenario_.splitPause);
        wait_ = HostWait::Pieces;
        return;
    }
    wait_ = HostWait::Ready;
    if (piecesSent_.contains(kConnected)) {
        connectedAt_ = now;
        inPackets_ = true;
        frame_.clear();
        frameEscaped_ = false;
    }
}
