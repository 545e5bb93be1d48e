#pragma once

#include "record.h"
#include "scenario.h"

#include <QByteArray>
#include <chrono>
#include <deque>
#include <optional>

// A Hayes modem and the registration host behind it, on the master side of
// a pseudo-terminal whose slave side the program under test opens as its
// serial device.
//
// In command mode the modem echoes (until ATE0) and answers every AT
// command with OK, ATI with its identity text first; ATD gets the
// scenario's answer after its delay, and any character while it dials gives
// up the dial. A mute modem answers nothing, an error-all one ERROR to
// every command. Once connected the host plays the scenario's script for
// that call. "+++" between guard times returns to command mode with the
// call up; ATO goes back online, ATH hangs up. The slave side being closed
// counts as DTR dropped: the call ends, unless the modem ignores DTR.
//
// The modem-control lines, which a pseudo-terminal lacks, are played on a
// control channel: a listening Unix socket, whose client sets DTR with the
// lines "dtr on" and "dtr off" and is told of carrier detect with "dcd on"
// and "dcd off" (once as it connects, then at each change). DTR dropped ends
// the call as closing the line does, unless the modem ignores DTR.
class Simulator {
  public:
    // listener: the control channel's listening socket, or -1 for none.
    Simulator(const Scenario &scenario, int master, int listener, Recorder &recorder);

    // Runs until a script closes the line. Gives the exit status.
    int run();

  private:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;

    struct Chunk {
        QByteArray bytes;
        QByteArray traceAfter; // traced once the last byte has left
    };

    enum class HostWait { Ready, Timer, Pieces, Expect, Answer, Drain };

    // The line.
    void lineOpened();
    void lineClosed();
    bool readPaused(TimePoint now) const;
    void readLine(TimePoint now, bool paced);
    void writeOut();
    void queue(const QByteArray &bytes, const QByteArray &traceAfter = {});
    void pumpBabble();
    std::optional<TimePoint> nextDeadline() const;
    void onDeadlines(TimePoint now);

    // The control channel.
    void acceptControl();
    void readControl();
    void controlLine(const QByteArray &line);
    void tellCarrier();
    void dropDtr();

    // The modem.
    void modemByte(char c, TimePoint now);
    void runCommand(const QByteArray &command, TimePoint now);
    void result(const QByteArray &text);
    void finishDial(TimePoint now);
    void startCall(TimePoint now);
    void endCall(const QByteArray &recordLine);
    void onlineBytes(const QByteArray &bytes, TimePoint now);

    // The host.
    void hostSend(const QByteArray &bytes, const QByteArray &traceAfter = {});
    void hostReceive(const QByteArray &bytes, TimePoint now);
    void hostFrame(const QByteArray &frame);
    void hostAdvance(TimePoint now);
    bool hostStep(const Step &step, TimePoint now);
    void sendPacket(const Step &step, TimePoint now);
    void answerOverdue(TimePoint now);
    void writePiece(TimePoint now);

    const Scenario &scenario_;
    Recorder &recorder_;
    std::deque<Chunk> output_;
    qsizetype outputOffset_ = 0;
    qsizetype outputSize_ = 0;

    // Modem.
    QByteArray command_;
    std::optional<TimePoint> dialDue_;
    TimePoint lastFromLine_;
    TimePoint readDue_; // a slowed host's next read
    std::optional<TimePoint> escapeDue_;

    // Host.
    const QList<Step> *script_ = nullptr;
    qsizetype nextStep_ = 0;
    TimePoint due_;
    QByteArrayList pieces_;
    QByteArray piecesSent_;
    QByteArray expected_;
    QByteArray heard_; // what the line sent, for expect
    QByteArray frame_;
    QByteArray lastFrame_; // the caller's last good frame, byte for byte
    std::optional<TimePoint> connectedAt_;
    QByteArray awaitedSequence_;
    QByteArray wire_;
    QByteArray lastWire_;
    QByteArray lastSequence_;
    qint64 babbleLeft_ = 0;

    const int master_;
    const int listener_;
    int control_ = -1;
    QByteArray controlIn_;
    int callNumber_ = 0;
    int pluses_ = 0;
    int packetCounter_ = 0;
    int resendsLeft_ = 0;
    quint32 babbleSeed_ = 2048;
    HostWait wait_ = HostWait::Ready;
    Await await_ = Await::None;
    Await lastAwait_ = Await::None;

    bool slaveOpen_ = false;
    bool dtr_ = true;
    bool closed_ = false;
    bool echo_ = true;
    bool dialling_ = false;
    bool callUp_ = false;
    bool online_ = false;
    bool inPackets_ = false;
    bool frameEscaped_ = false;
    bool packetSent_ = false;
    bool patient_ = false;
    bool firstByteSeen_ = false;
    bool lastPatient_ = false;
    bool babbleRandom_ = false;
};
