#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>

// What became of the texts sent on one call.
struct LineOutputCounts {
    int stalls = 0;            // times the device was full and bytes had to wait
    qsizetype mostWaiting = 0; // the most bytes that waited at once
    int dropped = 0;           // texts not sent because too much was waiting
};

// What the call sends on its serial line, in order, without ever blocking.
// A text goes to the device at once as far as the device takes it; the rest
// waits here and goes as the device takes more. A full device (EAGAIN) is
// only a wait; a device that fails (EIO: hung up, unplugged) raises failed()
// and is written no more.
//
// What waits is bounded by kMostWaiting: a text that would take it past
// that is not sent at all. Texts are whole replies, so the line never
// carries a cut frame, and a lost reply is one the host asks for again: it
// sends an unanswered packet again, and a repeat is answered with the last
// reply. A host that waits for each answer never comes near the bound; only
// one that sends faster than it reads can reach it.
class LineOutput final : public QObject {
    Q_OBJECT
  public:
    static constexpr qsizetype kMostWaiting = 1024 * 1024;

    explicit LineOutput(QObject *parent = nullptr);

    // Writes to this open, non-blocking descriptor from now on, with fresh
    // counts.
    void start(int descriptor);
    // Writes no more; what still waits is dropped.
    void stop();
    // Sends the text, or drops it whole: false when dropped (too much
    // waiting, the device failed, or not started).
    bool send(const QByteArray &text);

    qsizetype waiting() const { return pending_.size() - written_; }
    const LineOutputCounts &counts() const { return counts_; }

  Q_SIGNALS:
    // The device failed; what waited is dropped. Raised once.
    void failed();

  private:
    void writeWaiting();
    void fail(int error);

    QSocketNotifier writable_{QSocketNotifier::Write};
    int descriptor_ = -1;
    bool failed_ = false;
    QByteArray pending_;
    qsizetype written_ = 0; // of pending_
    LineOutputCounts counts_;
};
