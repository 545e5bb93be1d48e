#pragma once

#include "hayes_results.h"
#include "uucp_lock.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QObject>
#include <QSerialPort>
#include <QTimer>
#include <functional>

// How a port looked when it was probed for a modem.
enum class PortOutcome {
    Answered,     // OK to ATZ: a modem
    Locked,       // skipped: another program has it
    Missing,      // skipped: no such device
    NoPermission, // skipped: the user may not open it
    NotSerial,    // skipped: the device is no serial port
    Unavailable,  // skipped: it could not be opened for another reason
    Silent,       // no answer to ATZ in time
    Refused,      // ERROR (or another result) to ATZ
    Failed,       // the device failed while it was probed
};

struct ProbedPort {
    QByteArray device;
    PortOutcome outcome = PortOutcome::Silent;
    // Answered: the modem's ATI text, its lines joined by blanks (empty when
    // it gave none). Refused: the result it gave to ATZ.
    QByteArray text;
};

// The outcome in a few words, as the user is told it: "in use by another
// program", "permission denied", "does not exist", ...
QByteArray PortOutcomeText(const ProbedPort &port);

// How long a modem is given to answer each command, in milliseconds.
struct ProbeTimings {
    int answerWait = 2000;
};

// The devices Detect looks at: the modems listed in the settings (so that a
// pseudo-terminal can be found too), then the serial ports the system
// reports, each once.
QByteArrayList ModemPorts();

// Looks for modems on serial ports, one port after the other: a port that
// another program has locked, or that cannot be opened, is skipped; an open
// one is sent ATZ at 9600 baud, 8 data bits, no parity, 1 stop bit, and
// only if it answers OK is it sent ATI, whose answer names the modem. Each
// answer is waited for a bounded time. Everything is reported through the
// event loop, never from inside the call that caused it.
class ModemProbe final : public QObject {
    Q_OBJECT
  public:
    using PortList = std::function<QByteArrayList()>;

    explicit ModemProbe(QObject *parent = nullptr);
    // Closes the port being probed.
    ~ModemProbe() override;
    ModemProbe(const ModemProbe &) = delete;
    ModemProbe &operator=(const ModemProbe &) = delete;

    // Which ports a probe looks at, asked anew at every start; ModemPorts
    // unless set.
    void setPortList(PortList ports) { portList_ = std::move(ports); }
    void setTimings(const ProbeTimings &timings) { timings_ = timings; }
    void setLockFolder(const QByteArray &folder) { lockFolder_ = folder; }

    // Starts probing the ports; a probe already running goes on instead.
    void start();
    // Stops the probe at once: the port being probed is closed, nothing more
    // is sent, and nothing more is reported.
    void cancel();
    bool running() const { return running_; }
    // True while a port is open.
    bool portOpen() const { return port_ != nullptr; }
    // What the probe has found out so far, port by port.
    const QList<ProbedPort> &results() const { return results_; }

  Q_SIGNALS:
    // A port is about to be probed: the number-th of count.
    void Probing(const QByteArray &device, int number, int count);
    // What the port turned out to be.
    void Probed(const ProbedPort &port);
    // Every port has been probed.
    void Finished();

  private:
    enum class Phase { Idle, Reset, Identify };

    void post(void (ModemProbe::*step)());
    void probeNext();
    void openPort(const QByteArray &device);
    void onReadyRead();
    void onResultLine(const QByteArray &line);
    void onTimeout();
    void onPortError(QSerialPort::SerialPortError error);
    void send(const QByteArray &command, Phase phase);
    void finishPort(PortOutcome outcome, const QByteArray &text = {});
    void closePort();

    PortList portList_;
    ProbeTimings timings_;
    QByteArray lockFolder_ = kLockFolder;

    bool running_ = false;
    quint64 session_ = 0;
    QByteArrayList ports_;
    qsizetype next_ = 0;
    QList<ProbedPort> results_;

    Phase phase_ = Phase::Idle;
    QByteArray device_;
    QSerialPort *port_ = nullptr;
    ResultLines lines_;
    QByteArray identity_;
    QTimer timer_;
};
