#include "modem_probe.h"

#include "logging.h"
#include "modem_settings.h"
#include "serial_open.h"

#include <QFile>
#include <algorithm>
#include <utility>

namespace {

const QByteArray kReset = QByteArrayLiteral("ATZ");
const QByteArray kIdentify = QByteArrayLiteral("ATI");
// More than any modem's own description; the rest of a babbling device's
// output is not kept.
constexpr qsizetype kLongestIdentity = 80;

// Qt reports a device it may not open and one that another program holds
// exclusively (or by its lock file) alike; the file's permissions tell them
// apart.
PortOutcome Outcome(OpenFailure failure) {
    switch (failure) {
    case OpenFailure::Missing:
        return PortOutcome::Missing;
    case OpenFailure::NoPermission:
        return PortOutcome::NoPermission;
    case OpenFailure::Locked:
        return PortOutcome::Locked;
    case OpenFailure::NotSerial:
        return PortOutcome::NotSerial;
    case OpenFailure::Other:
        break;
    }
    return PortOutcome::Unavailable;
}

bool IsFinalResult(HayesResult result) {
    return result != HayesResult::Other;
}

// An identity line as it can be shown: printable characters only.
QByteArray Printable(const QByteArray &line) {
    QByteArray text = line;
    for (char &c : text) {
        if (c < ' ' || c > '~')
            c = '?';
    }
    return text.trimmed();
}

} // namespace

QByteArray PortOutcomeText(const ProbedPort &port) {
    switch (port.outcome) {
    case PortOutcome::Answered:
        return "a modem answered";
    case PortOutcome::Locked:
        return "in use by another program";
    case PortOutcome::Missing:
        return "does not exist";
    case PortOutcome::NoPermission:
        return "permission denied";
    case PortOutcome::NotSerial:
        return "not a serial port";
    case PortOutcome::Unavailable:
        return "cannot be opened";
    case PortOutcome::Silent:
        return "no answer";
    case PortOutcome::Refused:
        return "answered " + Printable(port.text).left(kLongestIdentity);
    case PortOutcome::Failed:
        return "the device failed";
    }
    return {};
}

QByteArrayList ModemPorts() {
    QByteArrayList devices;
    for (const ModemEntry &modem : ListModems()) {
        if (!devices.contains(modem.device))
            devices.append(modem.device);
    }
    return devices;
}

ModemProbe::ModemProbe(QObject *parent) : QObject(parent), portList_(ModemPorts) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &ModemProbe::onTimeout);
}

ModemProbe::~ModemProbe() {
    closePort();
}

void ModemProbe::post(void (ModemProbe::*step)()) {
    QMetaObject::invokeMethod(
        this,
        [this, step, session = session_] {
            if (session == session_)
                (this->*step)();
        },
        Qt::QueuedConnection);
}

void ModemProbe::start() {
    if (running_)
        return;
    running_ = true;
    ++session_;
    ports_.clear();
    for (const QByteArray &device : portList_()) {
        if (!device.isEmpty() && !ports_.contains(device))
            ports_.append(device);
    }
    next_ = 0;
    results_.clear();
    qCDebug(lcModem) << "detect: probing" << ports_.size() << "ports";
    post(&ModemProbe::probeNext);
}

void ModemProbe::cancel() {
    if (running_)
        qCDebug(lcModem) << "detect: stopped";
    ++session_;
    running_ = false;
    closePort();
}

void ModemProbe::probeNext() {
    if (next_ >= ports_.size()) {
        running_ = false;
        qCDebug(lcModem).nospace()
            << "detect: finished, modems that answered: "
            << std::ranges::count(results_, PortOutcome::Answered, &ProbedPort::outcome);
        Q_EMIT Finished();
        return;
    }
    const QByteArray device = ports_[next_++];
    const quint64 session = session_;
    Q_EMIT Probing(device, static_cast<int>(next_), static_cast<int>(ports_.size()));
    if (session != session_)
        return;
    device_ = device;
    // Opened by its resolved path, so that Qt Serial Port's lock and the
    // check agree on the name.
    const UucpLock lock(lockFolder_, device);
    if (lock.holder()) {
        finishPort(PortOutcome::Locked);
        return;
    }
    openPort(lock.device());
}

void ModemProbe::openPort(const QByteArray &device) {
    auto *port = new QSerialPort(QFile::decodeName(device), this);
    port->setBaudRate(QSerialPort::Baud9600);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    if (!OpenSerialPort(*port)) {
        const PortOutcome outcome = Outcome(WhyNotOpened(*port, device));
        delete port;
        finishPort(outcome);
        return;
    }
    // A pseudo-terminal has no DTR; a modem hangs up without it.
    port->setDataTerminalReady(true);
    port->clear();
    port->clearError();
    port_ = port;
    connect(port_, &QSerialPort::readyRead, this, &ModemProbe::onReadyRead);
    connect(port_, &QSerialPort::errorOccurred, this, &ModemProbe::onPortError);
    identity_.clear();
    send(kReset, Phase::Reset);
}

// What the modem said before the command is no answer to it.
void ModemProbe::send(const QByteArray &command, Phase phase) {
    qCDebug(lcModem) << "detect:" << device_ << "sent" << command;
    phase_ = phase;
    lines_.clear();
    timer_.start(timings_.answerWait);
    port_->write(command + '\r');
}

void ModemProbe::onReadyRead() {
    if (port_ == nullptr)
        return;
    lines_.append(port_->readAll());
    const quint64 session = session_;
    QSerialPort *port = port_;
    while (session == session_ && port == port_) {
        const std::optional<QByteArray> line = lines_.next();
        if (!line)
            break;
        onResultLine(*line);
    }
}

void ModemProbe::onResultLine(const QByteArray &line) {
    qCDebug(lcModem) << "detect:" << device_ << "heard" << line;
    const HayesResult result = ParseHayesResult(line);
    if (phase_ == Phase::Reset) {
        if (result == HayesResult::Ok)
            send(kIdentify, Phase::Identify);
        else if (IsFinalResult(result))
            finishPort(PortOutcome::Refused, line.trimmed());
        return;
    }
    if (IsFinalResult(result)) {
        finishPort(PortOutcome::Answered, identity_);
        return;
    }
    // The echo of the command and blank lines are no part of the answer.
    const QByteArray text = Printable(line);
    if (text.isEmpty() || text.compare(kIdentify, Qt::CaseInsensitive) == 0 ||
        identity_.size() >= kLongestIdentity)
        return;
    if (!identity_.isEmpty())
        identity_ += ' ';
    identity_ = (identity_ + text).left(kLongestIdentity);
}

// A modem that answered ATZ is one, whatever it makes of ATI.
void ModemProbe::onTimeout() {
    if (phase_ == Phase::Reset)
        finishPort(PortOutcome::Silent);
    else if (phase_ == Phase::Identify)
        finishPort(PortOutcome::Answered, identity_);
}

void ModemProbe::onPortError(QSerialPort::SerialPortError error) {
    if (IsPortFailure(error))
        finishPort(PortOutcome::Failed);
}

void ModemProbe::finishPort(PortOutcome outcome, const QByteArray &text) {
    closePort();
    const ProbedPort port{device_, outcome, text};
    qCDebug(lcModem).noquote() << "detect:" << device_ + ':' << PortOutcomeText(port);
    results_.append(port);
    const quint64 session = session_;
    Q_EMIT Probed(port);
    if (session == session_)
        post(&ModemProbe::probeNext);
}

void ModemProbe::closePort() {
    timer_.stop();
    phase_ = Phase::Idle;
    if (port_ == nullptr)
        return;
    QSerialPort *port = std::exchange(port_, nullptr);
    port->disconnect(this);
    port->close();
    // It may be raising the signal being handled.
    port->deleteLater();
}
