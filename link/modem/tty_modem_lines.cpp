#include "tty_modem_lines.h"

#include <QDeadlineTimer>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <pthread.h>
#include <sys/ioctl.h>
#include <system_error>

namespace {

// Wakes the waiting thread from its sleep in the kernel. Its default is to
// be ignored, so a stray one harms nothing.
constexpr int kWakeSignal = SIGURG;
// The wake signal is sent again until the thread has stopped: the first may
// have come between two of its waits.
constexpr auto kWakeAgain = std::chrono::milliseconds(5);
// Between looks at carrier detect on the way out of the program, on a
// device that cannot wait for it.
constexpr int kExitLook = 20;

extern "C" void OnWakeSignal(int /*signal*/) {}

// Without SA_RESTART, so that the signal ends the wait with EINTR rather
// than sending the thread back to sleep.
void InstallWakeHandler() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_handler = OnWakeSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;
        ::sigaction(kWakeSignal, &action, nullptr);
    });
}

// The device reports its lines but cannot wait for them to change.
bool CannotWait(int error) {
    return error == EINVAL || error == ENOTTY;
}

} // namespace

ModemControlCalls SystemModemControl() {
    return {
        [](int fd, int &lines) { return ::ioctl(fd, TIOCMGET, &lines); },
        [](int fd, bool raise, int lines) {
            return ::ioctl(fd, raise ? TIOCMBIS : TIOCMBIC, &lines);
        },
        [](int fd, int lines) { return ::ioctl(fd, TIOCMIWAIT, lines); },
    };
}

TtyModemLines::TtyModemLines(int fd, ModemControlCalls calls) : fd_(fd), calls_(std::move(calls)) {
    poll_.setInterval(kCarrierPoll);
    connect(&poll_, &QTimer::timeout, this, &TtyModemLines::pollCarrier);
}

TtyModemLines::~TtyModemLines() {
    stopWaiting();
}

bool TtyModemLines::setDtr(bool on) {
    return calls_.set(fd_, on, TIOCM_DTR) == 0;
}

std::optional<bool> TtyModemLines::carrier() {
    int lines = 0;
    if (calls_.get(fd_, lines) != 0)
        return std::nullopt;
    return (lines & TIOCM_CAR) != 0;
}

void TtyModemLines::watchCarrier() {
    if (waiter_.joinable() || poll_.isActive())
        return;
    const std::optional<bool> now = carrier();
    if (!now)
        return;
    {
        const std::lock_guard lock(mutex_);
        known_ = now;
        waiting_ = true;
    }
    InstallWakeHandler();
    try {
        waiter_ = std::thread([this] { waitForChanges(); });
    } catch (const std::system_error &) {
        const std::lock_guard lock(mutex_);
        waiting_ = false;
        poll_.start();
    }
}

bool TtyModemLines::waitForCarrierOff(int milliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    {
        std::unique_lock lock(mutex_);
        if (waiting_) {
            noted_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                            [this] { return known_ == false || !waiting_; });
            if (known_ == false)
                return true;
            if (waiting_)
                return false;
        }
    }
    // No thread to tell of a change: look now and then, only while the
    // program ends.
    for (;;) {
        const std::optional<bool> now = carrier();
        if (!now)
            return false;
        if (!*now)
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(std::min<qint64>(kExitLook, deadline.remainingTime()));
    }
}

// The waiting thread. The line is read before each wait as well, so that a
// change between two waits is not lost.
void TtyModemLines::waitForChanges() {
    bool poll = false;
    while (!stopping_) {
        int lines = 0;
        if (calls_.get(fd_, lines) != 0)
            break;
        note((lines & TIOCM_CAR) != 0);
        if (calls_.waitForChange(fd_, TIOCM_CD) == 0)
            continue;
        const int error = errno;
        if (error == EINTR)
            continue;
        poll = CannotWait(error);
        break;
    }
    {
        const std::lock_guard lock(mutex_);
        waiting_ = false;
    }
    noted_.notify_all();
    if (poll && !stopping_)
        QMetaObject::invokeMethod(
            this, [this] { poll_.start(); }, Qt::QueuedConnection);
}

// From either thread; the change is raised through the event loop.
void TtyModemLines::note(bool on) {
    {
        const std::lock_guard lock(mutex_);
        if (known_ == on)
            return;
        known_ = on;
    }
    noted_.notify_all();
    QMetaObject::invokeMethod(
        this, [this, on] { Q_EMIT carrierChanged(on); }, Qt::QueuedConnection);
}

void TtyModemLines::pollCarrier() {
    const std::optional<bool> now = carrier();
    if (!now) {
        poll_.stop();
        return;
    }
    note(*now);
}

void TtyModemLines::stopWaiting() {
    stopping_ = true;
    poll_.stop();
    if (!waiter_.joinable())
        return;
    {
        std::unique_lock lock(mutex_);
        while (waiting_) {
            ::pthread_kill(waiter_.native_handle(), kWakeSignal);
            noted_.wait_for(lock, kWakeAgain);
        }
    }
    waiter_.join();
}
