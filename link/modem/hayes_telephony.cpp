#include "hayes_telephony.h"

#include "dialling_locations.h"
#include "modem_settings.h"
#include "serial_open.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
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

// Failures after which the port is of no more use. Qt 6.4 repeats some of
// them without end while the port stays open.
bool IsFatal(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
    case QSerialPort::WriteError:
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError:
    case QSerialPort::UnknownError:
        return true;
    default:
        return false;
    }
}

} // namespace

HayesTelephony::HayesTelephony(QObject *parent) : Telephony(parent) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &HayesTelephony::onTimeout);
    connect(&carrierTimer_, &QTimer::timeout, this, &HayesTelephony::onCarrierPoll);
}

HayesTelephony::~HayesTelephony() {
    HangUpNow();
}

void HayesTelephony::post(std::function<void()> event) {
    QMetaObject::invokeMethod(this, std::move(event), Qt::QueuedConnection);
}

DialResult HayesTelephony::Dial(const QByteArray &number) {
    const auto refuse = [](DialRefusal why) { return DialResult{0, why}; };
    if (phase_ != Phase::Idle)
        return refuse(DialRefusal::CallActive);
    const QList<ModemEntry> modems = ListModems();
    if (currentModem_ < 0 || currentModem_ >= modems.size())
        return refuse(DialRefusal::NoModem);
    const ModemEntry &modem = modems[currentModem_];
    const std::optional<QByteArray> dialString = DialString(number);
    if (!dialString)
        return refuse(DialRefusal::BadNumber);
    const DiallingLocations locations = ReadLocations();
    const DiallingLocation &location = locations.list[locations.current];
    if (location.outsideLine.size() > kLongestOutsideLine || !IsDialText(location.outsideLine))
        return refuse(DialRefusal::BadLocation);

    // Qt Serial Port locks the device under the name of the path it opens,
    // and may hang on or take over what is at that name: checked just before.
    const UucpLock lock(lockFolder_, modem.device);
    auto port = std::make_unique<QSerialPort>(QFile::decodeName(lock.device()));
    port->setBaudRate(QSerialPort::Baud9600);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    if (lock.holder())
        return refuse(DialRefusal::DeviceLocked);
    if (!OpenSerialPort(*port))
        return refuse(port->error() == QSerialPort::DeviceNotFoundError
                          ? DialRefusal::DeviceMissing
                          : DialRefusal::DeviceUnavailable);
    port->setDataTerminalReady(true);
    port->clear();
    port->clearError();

    port_ = port.release();
    port_->setParent(this);
    connect(port_, &QSerialPort::readyRead, this, &HayesTelephony::onReadyRead);
    connect(port_, &QSerialPort::errorOccurred, this, &HayesTelephony::onPortError);
    ++session_;
    failurePending_ = false;
    dialId_ = nextRequestId();
    dialCommand_ = DialCommand(location.pulse, location.outsideLine, *dialString);
    results_.clear();
    port_->write(modem.initString + '\r');
    phase_ = Phase::Initialising;
    timer_.start(timings_.commandWait);
    return {dialId_, DialRefusal::None};
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
    case Phase::AwaitingHangupOk:
        return hangupId_;
    case Phase::Initialising:
    case Phase::Dialling:
    case Phase::Connected:
        break;
    }
    hangupId_ = nextRequestId();
    const bool connected = phase_ == Phase::Connected;
    line_.detach();
    carrierTimer_.stop();
    results_.clear();
    if (port_->setDataTerminalReady(false)) {
        phase_ = Phase::DroppingDtr;
        timer_.start(timings_.dtrDropTime);
        return hangupId_;
    }
    // A device without modem control lines (a pseudo-terminal) refuses.
    port_->clearError();
    if (connected) {
        phase_ = Phase::GuardBefore;
        timer_.start(timings_.guardTime);
    } else {
        port_->write(kAbortDial);
        phase_ = Phase::Aborting;
        timer_.start(timings_.commandWait);
    }
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
    const HayesResult result = ParseHayesResult(line);
    if (result == HayesResult::Other)
        return;
    switch (phase_) {
    case Phase::Initialising:
        if (result == HayesResult::Ok)
            sendDialCommand();
        else if (result == HayesResult::Error)
            failDial(kRequestModemError);
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
        port_->write(kAbortDial);
        failDial(kRequestModemSilent);
        break;
    case Phase::DroppingDtr:
        finishHangup(kRequestSucceeded);
        break;
    case Phase::GuardBefore:
        port_->write(kEscape);
        phase_ = Phase::GuardAfter;
        timer_.start(timings_.guardTime + timings_.commandWait);
        break;
    case Phase::GuardAfter:
    case Phase::Aborting:
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

// Errors may be raised inside the port's own calls; they are dealt with
// from the event loop, once per call.
void HayesTelephony::onPortError(QSerialPort::SerialPortError error) {
    if (!IsFatal(error) || failurePending_)
        return;
    failurePending_ = true;
    const quint64 session = session_;
    post([this, session] {
        if (session == session_)
            lineFailed();
    });
}

void HayesTelephony::sendDialCommand() {
    port_->write(dialCommand_);
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

// Carrier detect is watched only on a device that reports it, and only once
// it has been seen on: some cables do not carry it at all.
void HayesTelephony::watchCarrier() {
    const QSerialPort::PinoutSignals pins = port_->pinoutSignals();
    if (port_->error() != QSerialPort::NoError) {
        port_->clearError();
        return;
    }
    carrierSeen_ = pins.testFlag(QSerialPort::DataCarrierDetectSignal);
    carrierTimer_.start(timings_.carrierPoll);
}

void HayesTelephony::onCarrierPoll() {
    if (phase_ != Phase::Connected) {
        carrierTimer_.stop();
        return;
    }
    const QSerialPort::PinoutSignals pins = port_->pinoutSignals();
    if (port_->error() != QSerialPort::NoError) {
        port_->clearError();
        carrierTimer_.stop();
        return;
    }
    if (pins.testFlag(QSerialPort::DataCarrierDetectSignal))
        carrierSeen_ = true;
    else if (carrierSeen_)
        carrierLost();
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

void HayesTelephony::sendHangupCommand() {
    port_->write(kHangupCommand);
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
    const bool connected =
        phase_ == Phase::Connected || phase_ == Phase::GuardBefore || phase_ == Phase::GuardAfter;
    port_->disconnect(this);
    timer_.stop();
    carrierTimer_.stop();
    line_.detach();
    results_.clear();
    if (port_->setDataTerminalReady(false)) {
        QThread::msleep(timings_.dtrDropTime);
    } else {
        port_->clearError();
        if (connected) {
            QThread::msleep(timings_.guardTime);
            port_->write(kEscape);
            port_->waitForBytesWritten(kFlushWait);
            QThread::msleep(timings_.guardTime);
        } else {
            port_->write(kAbortDial);
        }
        waitForResult(timings_.exitWait);
        port_->write(kHangupCommand);
        waitForResult(timings_.exitWait);
    }
    closePort();
}

bool HayesTelephony::waitForResult(int milliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    while (port_->isOpen()) {
        while (const std::optional<QByteArray> line = results_.next()) {
            if (ParseHayesResult(*line) != HayesResult::Other)
                return true;
        }
        if (deadline.hasExpired() || !port_->waitForReadyRead(deadline.remainingTime()))
            return false;
        results_.append(port_->readAll());
    }
    return false;
}

void HayesTelephony::closePort() {
    timer_.stop();
    carrierTimer_.stop();
    line_.detach();
    results_.clear();
    tail_.clear();
    phase_ = Phase::Idle;
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
