#include "hayes_telephony.h"

#include "dialling_locations.h"
#include "logging.h"
#include "modem_settings.h"
#include "serial_open.h"
#include "tty_modem_lines.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <algorithm>
#include <utility>

namespace {

const QByteArray kNoCarrier = QByteArrayLiteral("NO CARRIER");
const QByteArray kEscape = QByteArrayLiteral("+++");
const QByteArray kHangupCommand = QByteArrayLiteral("ATH0\r");
// Any character sent while the modem dials makes it give up.
const QByteArray kAbortDial = QByteArrayLiteral("\r");
// Longest wait for what is still to be written when the port closes.
constexpr int kFlushWait = 200;

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// True when the text holds a NO CARRIER line, as the modem reports a lost
// carrier from data mode.
bool HoldsNoCarrier(const QByteArray &text) {
    for (qsizetype at = text.indexOf(kNoCarrier); at >= 0; at = text.indexOf(kNoCarrier, at + 1)) {
        const qsizetype after = at + kNoCarrier.size();
        if (at > 0 && IsLineEnd(text[at - 1]) && after < text.size() && IsLineEnd(text[after]))
            return true;
    }
    return false;
}

const char *DialRefusalName(DialRefusal refusal) {
    switch (refusal) {
    case DialRefusal::None:
        return "none";
    case DialRefusal::NoModem:
        return "no such modem";
    case DialRefusal::DeviceMissing:
        return "no such device";
    case DialRefusal::NoPermission:
        return "permission denied";
    case DialRefusal::DeviceUnavailable:
        return "device cannot be opened";
    case DialRefusal::DeviceLocked:
        return "device locked";
    case DialRefusal::BadInitString:
        return "bad initialisation string";
    case DialRefusal::BadNumber:
        return "bad number";
    case DialRefusal::BadLocation:
        return "bad outside-line prefix";
    case DialRefusal::CallActive:
        return "a call is already being made";
    }
    return "unknown";
}

DialRefusal OpenRefusal(const QSerialPort &port, const QByteArray &device) {
    switch (WhyNotOpened(port, device)) {
    case OpenFailure::Missing:
        return DialRefusal::DeviceMissing;
    case OpenFailure::NoPermission:
        return DialRefusal::NoPermission;
    case OpenFailure::Locked:
    case OpenFailure::NotSerial:
    case OpenFailure::Other:
        break;
    }
    return DialRefusal::DeviceUnavailable;
}

} // namespace

HayesTelephony::HayesTelephony(QObject *parent)
    : Telephony(parent), makeLines_([](QSerialPort &port) -> std::unique_ptr<ModemLines> {
          return std::make_unique<TtyModemLines>(port.handle());
      }) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &HayesTelephony::onTimeout);
    connect(&line_, &SerialLine::failed, this, &HayesTelephony::onLineFailed);
}

HayesTelephony::~HayesTelephony() {
    HangUpNow();
}

void HayesTelephony::post(std::function<void()> event) {
    QMetaObject::invokeMethod(this, std::move(event), Qt::QueuedConnection);
}

DialResult HayesTelephony::Dial(const QByteArray &number) {
    DialResult refused = Prepare(number);
    if (!refused.placed()) {
        qCDebug(lcModem).noquote() << "dial refused:" << DialRefusalName(refused.refusal)
                                   << LogText(refused.device) << LogText(refused.text);
        return refused;
    }
    ++session_;
    failurePending_ = false;
    carrierSeen_ = false;
    dialId_ = nextRequestId();
    results_.clear();
    send(initString_ + '\r');
    phase_ = Phase::Initialising;
    timer_.start(timings_.commandWait);
    DialResult placed;
    placed.requestId = dialId_;
    return placed;
}

// Everything that goes to the modem is checked here, whatever its source:
// the initialisation string, the prefix and the number are sent as command
// lines, so a line end or anything but dial characters in them would be
// taken for another command.
DialResult HayesTelephony::Prepare(const QByteArray &number) {
    DialResult refused;
    const auto refuse = [&refused](DialRefusal why) {
        refused.refusal = why;
        return refused;
    };
    if (phase_ != Phase::Idle)
        return refuse(DialRefusal::CallActive);
    const QList<ModemEntry> modems = ListModems();
    if (currentModem_ < 0 || currentModem_ >= modems.size())
        return refuse(DialRefusal::NoModem);
    const ModemEntry &modem = modems[currentModem_];
    refused.device = modem.device;
    if (!IsInitString(modem.initString)) {
        refused.text = modem.initString;
        return refuse(DialRefusal::BadInitString);
    }
    const std::optional<QByteArray> dialString = DialString(number);
    if (!dialString) {
        refused.text = number;
        return refuse(DialRefusal::BadNumber);
    }
    const DiallingLocations locations = ReadLocations();
    const DiallingLocation &location = locations.list[locations.current];
    if (!IsOutsideLinePrefix(location.outsideLine)) {
        refused.text = location.outsideLine;
        return refuse(DialRefusal::BadLocation);
    }

    // Qt Serial Port locks the device under the name of the path it opens,
    // and may hang on or take over what is at that name: checked just before.
    const UucpLock lock(lockFolder_, modem.device);
    auto port = std::make_unique<QSerialPort>(QFile::decodeName(lock.device()));
    port->setBaudRate(QSerialPort::Baud9600);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    refused.holder = lock.holder();
    if (refused.holder)
        return refuse(DialRefusal::DeviceLocked);
    if (!OpenSerialPort(*port))
        return refuse(OpenRefusal(*port, lock.device()));
    lines_ = makeLines_(*port);
    lines_->setDtr(true);
    port->clear();
    port->clearError();

    port_ = port.release();
    port_->setParent(this);
    connect(port_, &QSerialPort::readyRead, this, &HayesTelephony::onReadyRead);
    connect(port_, &QSerialPort::errorOccurred, this, &HayesTelephony::onPortError);
    connect(lines_.get(), &ModemLines::carrierChanged, this, &HayesTelephony::onCarrierChanged);
    qCDebug(lcModem).noquote() << "opened" << lock.device() << "for" << modem.name;
    initString_ = modem.initString;
    dialCommand_ = DialCommand(location.pulse, location.outsideLine, *dialString);
    return {};
}

void HayesTelephony::send(const QByteArray &command) {
    qCDebug(lcModem).noquote() << "sent" << LogText(command);
    port_->write(command);
}

std::int32_t HayesTelephony::HangUp() {
    switch (phase_) {
    case Phase::Idle: {
        const std::int32_t id = nextRequestId();
        post([this, id] {
            Q_EMIT OnTapi(id, kRequestSucceeded);
            Q_EMIT CallState(kCallIdle, 0);
        });
        return id;
    }
    case Phase::DroppingDtr:
    case Phase::GuardBefore:
    case Phase::GuardAfter:
    case Phase::Aborting:
    case Phase::HangingUpDial:
    case Phase::AwaitingHangupOk:
        return hangupId_;
    case Phase::Initialising:
    case Phase::Dialling:
    case Phase::Connected:
        break;
    }
    hangupId_ = nextRequestId();
    hangingUpCall_ = phase_ == Phase::Connected;
    line_.detach();
    results_.clear();
    if (lines_->setDtr(false)) {
        phase_ = Phase::DroppingDtr;
        timer_.start(carrierSeen_ ? dtrLowWait() : timings_.dtrDropTime);
        return hangupId_;
    }
    // A device without modem-control lines (a pseudo-terminal).
    hangUpWithCommands(hangingUpCall_, false);
    return hangupId_;
}

QByteArrayList HayesTelephony::ModemNames() const {
    QByteArrayList names;
    for (const ModemEntry &modem : ListModems())
        names.append(modem.name);
    return names;
}

QByteArrayList HayesTelephony::LocationNames(std::int32_t &current) const {
    const DiallingLocations locations = ReadLocations();
    current = locations.current;
    QByteArrayList names;
    for (const DiallingLocation &location : locations.list)
        names.append(location.name);
    return names;
}

bool HayesTelephony::SetCurrentLocation(std::int32_t index) {
    return index >= 0 && index < ReadLocations().list.size() && SaveCurrentLocation(index);
}

void HayesTelephony::onReadyRead() {
    if (port_ == nullptr)
        return;
    const QByteArray bytes = port_->readAll();
    switch (phase_) {
    case Phase::Connected:
        takeLineBytes(bytes);
        return;
    case Phase::Idle:
    case Phase::DroppingDtr:
    case Phase::GuardBefore:
        return;
    default:
        break;
    }
    results_.append(bytes);
    while (port_ != nullptr && phase_ != Phase::Connected) {
        const std::optional<QByteArray> line = results_.next();
        if (!line)
            break;
        onResultLine(*line);
    }
}

void HayesTelephony::onResultLine(const QByteArray &line) {
    qCDebug(lcModem).noquote() << "heard" << LogText(line);
    const HayesResult result = ParseHayesResult(line);
    if (result == HayesResult::Other)
        return;
    switch (phase_) {
    case Phase::Initialising:
        if (result == HayesResult::Ok)
            sendDialCommand();
        else if (result == HayesResult::Error)
            failDial(kRequestInitRefused);
        break;
    case Phase::Dialling:
        switch (result) {
        case HayesResult::Connect:
            connectCall(ConnectSpeed(line));
            break;
        case HayesResult::Busy:
            endDial(kCallBusy);
            break;
        case HayesResult::NoCarrier:
        case HayesResult::NoAnswer:
            endDial(kCallDisconnected);
            break;
        case HayesResult::Error:
            failDial(kRequestModemError);
            break;
        case HayesResult::NoDialtone:
            failDial(kRequestNoDialTone);
            break;
        default:
            break;
        }
        break;
    case Phase::GuardAfter:
        if (result == HayesResult::Ok || result == HayesResult::NoCarrier)
            sendHangupCommand();
        break;
    case Phase::Aborting:
        sendHangupCommand();
        break;
    case Phase::HangingUpDial:
        // OK: the modem had stopped dialling and is on hook. Anything else
        // is the dial that the command cut short; the command went with it.
        if (result == HayesResult::Ok)
            finishHangup(kRequestSucceeded);
        else if (result == HayesResult::Error)
            finishHangup(kRequestModemError);
        else
            sendHangupCommand();
        break;
    case Phase::AwaitingHangupOk:
        if (result == HayesResult::Ok)
            finishHangup(kRequestSucceeded);
        else if (result == HayesResult::Error)
            finishHangup(kRequestModemError);
        break;
    default:
        break;
    }
}

void HayesTelephony::onTimeout() {
    switch (phase_) {
    case Phase::Initialising:
        failDial(kRequestModemSilent);
        break;
    case Phase::Dialling:
        send(kAbortDial);
        failDial(kRequestModemSilent);
        break;
    case Phase::DroppingDtr:
        afterDtrDrop();
        break;
    case Phase::GuardBefore:
        send(kEscape);
        phase_ = Phase::GuardAfter;
        timer_.start(timings_.guardTime + timings_.commandWait);
        break;
    case Phase::GuardAfter:
    case Phase::Aborting:
    case Phase::HangingUpDial:
        sendHangupCommand();
        break;
    case Phase::AwaitingHangupOk:
        finishHangup(kRequestModemSilent);
        break;
    case Phase::Idle:
    case Phase::Connected:
        break;
    }
}

void HayesTelephony::onPortError(QSerialPort::SerialPortError error) {
    if (IsPortFailure(error))
        onLineFailed();
}

// Failures may be raised inside the port's or the line's own calls; they are
// dealt with from the event loop, once per call.
void HayesTelephony::onLineFailed() {
    if (failurePending_)
        return;
    failurePending_ = true;
    const quint64 session = session_;
    post([this, session] {
        if (session == session_)
            lineFailed();
    });
}

void HayesTelephony::sendDialCommand() {
    send(dialCommand_);
    phase_ = Phase::Dialling;
    timer_.start(timings_.dialWait);
    post([this] { Q_EMIT CallState(kCallDialling, 0); });
}

void HayesTelephony::connectCall(std::int32_t speed) {
    timer_.stop();
    phase_ = Phase::Connected;
    const std::int32_t id = dialId_;
    post([this, id, speed] {
        Q_EMIT OnTapi(id, kRequestSucceeded);
        Q_EMIT CallState(kCallConnected, speed);
    });
    tail_.clear();
    line_.attach(port_, {});
    takeLineBytes(results_.takeRest());
    if (phase_ == Phase::Connected)
        watchCarrier();
}

void HayesTelephony::endDial(std::int32_t state) {
    const std::int32_t id = dialId_;
    closePort();
    post([this, id, state] {
        Q_EMIT OnTapi(id, kRequestSucceeded);
        Q_EMIT CallState(state, 0);
        Q_EMIT CallState(kCallIdle, 0);
    });
}

void HayesTelephony::failDial(std::int32_t status) {
    qCDebug(lcModem) << "dial failed, status" << status;
    const std::int32_t id = dialId_;
    closePort();
    post([this, id, status] { Q_EMIT OnTapi(id, status); });
}

void HayesTelephony::takeLineBytes(const QByteArray &bytes) {
    if (bytes.isEmpty())
        return;
    line_.take(bytes);
    const QByteArray seen = tail_ + bytes;
    if (HoldsNoCarrier(seen)) {
        carrierLost();
        return;
    }
    tail_ = seen.right(kNoCarrier.size() + 1);
}

// Carrier detect is watched only on a device that reports it, and counts
// only once it has been seen on: some cables do not carry it at all.
void HayesTelephony::watchCarrier() {
    carrierSeen_ = lines_->carrier().value_or(false);
    lines_->watchCarrier();
}

// Dealt with from the event loop of its own: the lines go with the call,
// and are not to be destroyed inside their own signal.
void HayesTelephony::onCarrierChanged(bool on) {
    const quint64 session = session_;
    post([this, session, on] {
        if (session == session_)
            carrierChangedTo(on);
    });
}

void HayesTelephony::carrierChangedTo(bool on) {
    if (phase_ != Phase::Connected && phase_ != Phase::DroppingDtr)
        return;
    if (on) {
        carrierSeen_ = true;
    } else if (carrierSeen_) {
        if (phase_ == Phase::Connected)
            carrierLost();
        else
            finishHangup(kRequestSucceeded);
    }
}

void HayesTelephony::carrierLost() {
    closePort();
    post([this] {
        Q_EMIT CallState(kCallDisconnected, 0);
        Q_EMIT CallState(kCallIdle, 0);
    });
}

void HayesTelephony::lineFailed() {
    switch (phase_) {
    case Phase::Idle:
        break;
    case Phase::Initialising:
    case Phase::Dialling:
        failDial(kRequestDeviceFailed);
        break;
    case Phase::Connected:
        carrierLost();
        break;
    default:
        // The line is gone, and the call with it.
        finishHangup(kRequestSucceeded);
        break;
    }
}

// DTR is held low at least as long as the modem needs to notice.
int HayesTelephony::dtrLowWait() const {
    return std::max(timings_.dtrDropTime, timings_.carrierDropWait);
}

// DTR has been low for its time, and carrier detect has not been seen to
// fall: the modem ignores DTR, or the device cannot tell. DTR goes up again
// and the modem is told.
void HayesTelephony::afterDtrDrop() {
    const std::optional<bool> carrier = lines_->carrier();
    if (carrierSeen_ && carrier == false) {
        finishHangup(kRequestSucceeded);
        return;
    }
    lines_->setDtr(true);
    hangUpWithCommands(hangingUpCall_ || carrier == true, true);
}

// A call that is up is escaped from first. A dial is cut short with a
// character; after DTR the modem may have stopped dialling already, so
// that character is the hang-up command itself.
void HayesTelephony::hangUpWithCommands(bool online, bool dtrDropped) {
    if (online) {
        phase_ = Phase::GuardBefore;
        timer_.start(timings_.guardTime);
    } else if (dtrDropped) {
        send(kHangupCommand);
        phase_ = Phase::HangingUpDial;
        timer_.start(timings_.commandWait);
    } else {
        send(kAbortDial);
        phase_ = Phase::Aborting;
        timer_.start(timings_.commandWait);
    }
}

void HayesTelephony::sendHangupCommand() {
    send(kHangupCommand);
    phase_ = Phase::AwaitingHangupOk;
    timer_.start(timings_.commandWait);
}

void HayesTelephony::finishHangup(std::int32_t status) {
    const std::int32_t id = hangupId_;
    closePort();
    post([this, id, status] {
        Q_EMIT OnTapi(id, status);
        Q_EMIT CallState(kCallIdle, 0);
    });
}

void HayesTelephony::HangUpNow() {
    if (port_ == nullptr)
        return;
    const bool onCall = phase_ == Phase::Connected || phase_ == Phase::GuardBefore ||
                        phase_ == Phase::GuardAfter ||
                        (phase_ == Phase::DroppingDtr && hangingUpCall_);
    port_->disconnect(this);
    lines_->disconnect(this);
    timer_.stop();
    line_.detach();
    results_.clear();
    const bool dtrDropped = lines_->setDtr(false);
    if (dtrDropped) {
        if (droppedByDtrNow()) {
            closePort();
            return;
        }
        lines_->setDtr(true);
    }
    if (onCall || (dtrDropped && lines_->carrier() == true)) {
        QThread::msleep(timings_.guardTime);
        send(kEscape);
        port_->waitForBytesWritten(kFlushWait);
        QThread::msleep(timings_.guardTime);
        waitForResult(timings_.exitWait);
        send(kHangupCommand);
        waitForResult(timings_.exitWait);
    } else if (dtrDropped) {
        send(kHangupCommand);
        if (waitForResult(timings_.exitWait) != HayesResult::Ok) {
            send(kHangupCommand);
            waitForResult(timings_.exitWait);
        }
    } else {
        send(kAbortDial);
        waitForResult(timings_.exitWait);
        send(kHangupCommand);
        waitForResult(timings_.exitWait);
    }
    closePort();
}

// With DTR low: true once carrier detect has fallen, where it can be seen.
bool HayesTelephony::droppedByDtrNow() {
    if (carrierSeen_)
        return lines_->waitForCarrierOff(dtrLowWait());
    QThread::msleep(timings_.dtrDropTime);
    return false;
}

std::optional<HayesResult> HayesTelephony::waitForResult(int milliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    while (port_->isOpen()) {
        while (const std::optional<QByteArray> line = results_.next()) {
            qCDebug(lcModem).noquote() << "heard" << LogText(*line);
            const HayesResult result = ParseHayesResult(*line);
            if (result != HayesResult::Other)
                return result;
        }
        if (deadline.hasExpired() || !port_->waitForReadyRead(deadline.remainingTime()))
            return std::nullopt;
        results_.append(port_->readAll());
    }
    return std::nullopt;
}

void HayesTelephony::closePort() {
    timer_.stop();
    line_.detach();
    results_.clear();
    tail_.clear();
    phase_ = Phase::Idle;
    // The lines stop being watched before their device closes.
    lines_.reset();
    if (port_ != nullptr) {
        port_->disconnect(this);
        if (port_->isOpen()) {
            if (port_->bytesToWrite() > 0)
                port_->waitForBytesWritten(kFlushWait);
            port_->close();
        }
        port_->deleteLater();
        port_ = nullptr;
    }
}
