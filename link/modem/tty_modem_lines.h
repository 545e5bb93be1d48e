#pragma once

#include "modem_lines.h"

#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// The calls that read, set and wait for the modem-control lines of a serial
// device: the ioctls TIOCMGET, TIOCMBIS or TIOCMBIC, and TIOCMIWAIT. Each
// gives 0, or -1 with errno set. Tests stand in for a serial port with
// others.
struct ModemControlCalls {
    std::function<int(int fd, int &lines)> get;
    std::function<int(int fd, bool raise, int lines)> set;
    // Sleeps until one of the lines changes; -1 with EINTR when the thread
    // is signalled.
    std::function<int(int fd, int lines)> waitForChange;
};

ModemControlCalls SystemModemControl();

// The modem-control lines of an open serial device, by its descriptor.
//
// Carrier detect is waited for by a thread of its own, asleep in the kernel
// until the line changes; it posts each change to the event loop, and is
// woken with a signal to stop. A device that reports the line but cannot
// wait for it (some USB serial drivers) is looked at every kCarrierPoll
// instead: nothing else would tell of a carrier lost without a NO CARRIER.
class TtyModemLines final : public ModemLines {
    Q_OBJECT
  public:
    static constexpr int kCarrierPoll = 250; // milliseconds

    explicit TtyModemLines(int fd, ModemControlCalls calls = SystemModemControl());
    // Stops the waiting thread; the descriptor stays open.
    ~TtyModemLines() override;
    TtyModemLines(const TtyModemLines &) = delete;
    TtyModemLines &operator=(const TtyModemLines &) = delete;

    bool setDtr(bool on) override;
    std::optional<bool> carrier() override;
    void watchCarrier() override;
    bool waitForCarrierOff(int milliseconds) override;

  private:
    void waitForChanges();
    void note(bool on);
    void pollCarrier();
    void stopWaiting();

    const int fd_;
    const ModemControlCalls calls_;
    std::thread waiter_;
    std::atomic<bool> stopping_ = false;
    std::mutex mutex_;
    std::condition_variable noted_;
    // Guarded by mutex_.
    std::optional<bool> known_; // carrier detect as last noted
    bool waiting_ = false;      // the thread is still there to note changes
    QTimer poll_;
};
