#include "quit_signals.h"

#include "ui.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::array kQuitSignals{SIGTERM, SIGINT, SIGHUP};
constexpr int kSignalExitBase = 128;

// The handler's end of a socket pair; the event loop reads the other.
int gSignalWriter = -1;

extern "C" void OnQuitSignal(int signalNumber) {
    // Only async-signal-safe calls here, and the interrupted code finds errno
    // as it left it.
    const int interruptedErrno = errno;
    for (const int quit : kQuitSignals)
        std::signal(quit, SIG_DFL);
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(gSignalWriter, &byte, 1);
    errno = interruptedErrno;
}

} // namespace

void EndProgramOnQuitSignals() {
    std::array<int, 2> pair{-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pair.data()) != 0)
        return;
    gSignalWriter = pair[0];
    const int reader = pair[1];
    auto *notifier =
        new QSocketNotifier(reader, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [reader] {
        unsigned char byte = 0;
        if (::read(reader, &byte, 1) == 1)
            ui().endProgram(kSignalExitBase + byte);
    });
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int quit : kQuitSignals)
        ::sigaction(quit, &action, nullptr);
}
