#pragma once

#include "hayes_results.h"
#include "modem_lines.h"
#include "serial_line.h"
#include "telephony.h"
#include "uucp_lock.h"

#include <QSerialPort>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

// How long the modem is given, and the pauses of hanging up, in
// milliseconds. Tests shorten them.
struct HayesTimings {
    int commandWait = 5000;     // answer to the initialisation string or to ATH0
    int dialWait = 60000;       // outcome of the dial command
    int guardTime = 1100;       // silence before and after "+++"
    int dtrDropTime = 500;      // DTR held low to hang up
    int carrierDropWait = 2000; // longest wait for carrier detect to fall once DTR is low
    int exitWait = 2000;        // each answer while hanging up on the way out
};

// Calls through a Hayes-compatible modem on a serial device, at 9600 baud,
// 8 data bits, no parity, 1 stop bit, no flow control. The modem is sent its
// initialisation string, then the dial command; its verbal result codes
// decide the outcome. Once connected, the same open port is the Line().
//
// The device is opened only if no other live program holds a UUCP lock on
// it, and is locked while open (by Qt Serial Port). Hanging up drops DTR and
// waits for carrier detect to fall. Where it does not (a modem set to ignore
// DTR), where the device cannot report it, or where there is no DTR to drop
// (a pseudo-terminal), the modem is also escaped to command mode ("+++"
// between guard times) and sent ATH0.
class HayesTelephony final : public Telephony {
    Q_OBJECT
  public:
    explicit HayesTelephony(QObject *parent = nullptr);
    // Hangs up a call still in progress, waiting for the modem.
    ~HayesTelephony() override;
    HayesTelephony(const HayesTelephony &) = delete;
    HayesTelephony &operator=(const HayesTelephony &) = delete;

    void setTimings(const HayesTimings &timings) { timings_ = timings; }
    void setLockFolder(const QByteArray &folder) { lockFolder_ = folder; }
    // How the modem-control lines of a port are reached; by default through
    // the serial device itself.
    void setModemLines(ModemLinesMaker make) { makeLines_ = std::move(make); }

    DialResult Dial(const QByteArray &number) override;
    bool CallInProgress() const override { return port_ != nullptr; }
    std::int32_t HangUp() override;
    std::int32_t CurrentModem() const override { return currentModem_; }
    void SetCurrentModem(std::int32_t index) override { currentModem_ = index; }
    QByteArrayList ModemNames() const override;
    QByteArrayList LocationNames(std::int32_t &current) const override;
    bool SetCurrentLocation(std::int32_t index) override;
    SerialLine &Line() override { return line_; }

    // Hangs up at once, waiting for the modem here rather than in the event
    // loop: for the way out of the program. Raises no events.
    void HangUpNow();

    // The initialisation string sent for the last placed dial.
    QByteArray InitStringSent() const { return initString_; }

  private:
    enum class Phase {
        Idle,
        Initialising,     // initialisation string sent
        Dialling,         // dial command sent
        Connected,        // the port is the line
        DroppingDtr,      // hanging up: DTR low, waiting for carrier detect to fall
        GuardBefore,      // hanging up: silence before "+++"
        GuardAfter,       // hanging up: "+++" sent, waiting for OK
        Aborting,         // hanging up a dial: CR sent, waiting for its answer
        HangingUpDial,    // hanging up a dial after DTR: ATH0 sent to a modem that may still dial
        AwaitingHangupOk, // hanging up: ATH0 sent
    };

    void post(std::function<void()> event);
    // Checks what the dial would send and opens the modem's port; a refusal
    // when it cannot be done.
    DialResult Prepare(const QByteArray &number);
    // A command line to the modem, written down for support.
    void send(const QByteArray &command);
    std::int32_t nextRequestId() { return nextRequestId_++; }

    void onReadyRead();
    void onResultLine(const QByteArray &line);
    void onTimeout();
    void onPortError(QSerialPort::SerialPortError error);
    void onLineFailed();
    void onCarrierChanged(bool on);
    void carrierChangedTo(bool on);

    void sendDialCommand();
    void connectCall(std::int32_t speed);
    void endDial(std::int32_t state);
    void failDial(std::int32_t status);
    void takeLineBytes(const QByteArray &bytes);
    void watchCarrier();
    void carrierLost();
    void lineFailed();
    int dtrLowWait() const;
    void afterDtrDrop();
    void hangUpWithCommands(bool online, bool dtrDropped);
    bool droppedByDtrNow();
    void sendHangupCommand();
    void finishHangup(std::int32_t status);
    std::optional<HayesResult> waitForResult(int milliseconds);
    void closePort();

    HayesTimings timings_;
    QByteArray lockFolder_ = kLockFolder;
    ModemLinesMaker makeLines_;
    std::int32_t currentModem_ = 0;
    std::int32_t nextRequestId_ = 1;

    Phase phase_ = Phase::Idle;
    QSerialPort *port_ = nullptr;
    std::unique_ptr<ModemLines> lines_;
    quint64 session_ = 0;
    bool failurePending_ = false;
    std::int32_t dialId_ = 0;
    std::int32_t hangupId_ = 0;
    QByteArray initString_;
    QByteArray dialCommand_;
    ResultLines results_;
    QByteArray tail_; // the last bytes of the line, to find NO CARRIER across reads
    bool carrierSeen_ = false;
    bool hangingUpCall_ = false; // the hang-up is of a connected call, not a dial
    QTimer timer_;
    SerialLine line_;
};
