#pragma once

#include "line_output.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <cstdint>

class QSerialPort;

// The event kind of received characters.
inline constexpr std::int16_t comEvReceive = 2;

// The serial line of a connected call: the same open port the modem was
// dialled on. The telephony layer hands it the port once the call is up
// and takes it back when the call ends.
class SerialLine final : public QObject {
    Q_OBJECT
  public:
    // Received characters not yet read are kept up to this many; beyond it
    // the oldest go.
    static constexpr qsizetype kMostUnread = 64 * 1024;

    explicit SerialLine(QObject *parent = nullptr);

    // The kind of the event being raised: comEvReceive.
    std::int16_t CommEvent() const { return commEvent_; }
    // Everything received so far; it is removed from the line.
    QByteArray Input();
    // Sends the text, without waiting for the device to take it. Nothing is
    // sent while no call is up.
    void Output(const QByteArray &text);
    bool IsOpen() const;
    // What became of what this call (or the last) sent.
    const LineOutputCounts &outputCounts() const { return output_.counts(); }

    // For the telephony layer: a new call on the port, with the characters
    // that came with the modem's connect message.
    void attach(QSerialPort *port, const QByteArray &received);
    // For the telephony layer: characters read from the port.
    void take(const QByteArray &received);
    // For the telephony layer: the call has ended.
    void detach();

  Q_SIGNALS:
    // Characters were received. Raised through the event loop, once for
    // however many arrive before it is handled.
    void OnComm();
    // For the telephony layer: the device failed while being written to.
    void failed();

  private:
    QPointer<QSerialPort> port_;
    LineOutput output_;
    QByteArray unread_;
    std::int16_t commEvent_ = 0;
    bool raisePending_ = false;
};
