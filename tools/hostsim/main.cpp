// kestrune-hostsim: a simulated Hayes modem and registration host on a
// pseudo-terminal, for testing and demonstrating the registration wizard
// without a telephone line.
//
//   kestrune-hostsim [--record FILE] [--trace FILE] [--lines SOCKET] SCENARIO
//
// Prints the pseudo-terminal's device path as its first line of output;
// name that device as the modem ([Modem] Device in the wizard's settings).
// With --lines it first listens on a Unix socket of that name for a client
// to play the modem-control lines with. Runs until killed, or until the
// scenario closes the line.
#include "headless_ui.h"
#include "program_state.h"
#include "record.h"
#include "scenario.h"
#include "simulator.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: kestrune-hostsim [--record FILE] [--trace FILE] [--lines SOCKET] "
                         "SCENARIO\n");
    return 2;
}

int Fail(const QByteArray &problem) {
    std::fprintf(stderr, "kestrune-hostsim: %s\n", problem.constData());
    return 2;
}

// The slave side starts raw, as a serial line does: no echo, no line
// editing, no translation of line ends.
bool MakeRaw(const char *slave) {
    const int fd = ::open(slave, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    termios settings{};
    bool ok = ::tcgetattr(fd, &settings) == 0;
    if (ok) {
        ::cfmakeraw(&settings);
        ok = ::tcsetattr(fd, TCSANOW, &settings) == 0;
    }
    ::close(fd);
    return ok;
}

// A Unix socket listening at the path, or -1.
int Listen(const QByteArray &path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || static_cast<size_t>(path.size()) >= sizeof address.sun_path)
        return -1;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listener < 0)
        return -1;
    if (::bind(listener, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(listener, 1) != 0) {
        ::close(listener);
        return -1;
    }
    return listener;
}

} // namespace

int main(int argc, char *argv[]) {
    const QCoreApplication app(argc, argv);
    HeadlessUi console(true);
    setUi(&console);
    modKestenrol::SetFramingCharacters();

    Recorder recorder;
    QByteArray scenarioPath;
    QByteArray linesPath;
    for (int at = 1; at < argc; ++at) {
        const QByteArray word = argv[at];
        if (word == "--lines" && at + 1 < argc) {
            linesPath = argv[++at];
        } else if ((word == "--record" || word == "--trace") && at + 1 < argc) {
            const QByteArray path = argv[++at];
            const bool opened =
                word == "--record" ? recorder.openRecord(path) : recorder.openTrace(path);
            if (!opened)
                return Fail("cannot write " + path);
        } else if (scenarioPath.isEmpty() && !word.startsWith('-')) {
            scenarioPath = word;
        } else {
            return Usage();
        }
    }
    if (scenarioPath.isEmpty())
        return Usage();

    QFile file(QFile::decodeName(scenarioPath));
    if (!file.open(QIODevice::ReadOnly))
        return Fail("cannot read " + scenarioPath);
    QByteArray problem;
    const std::optional<Scenario> scenario = ParseScenario(file.readAll(), problem);
    if (!scenario)
        return Fail(scenarioPath + ": " + problem);

    const int listener = linesPath.isEmpty() ? -1 : Listen(linesPath);
    if (!linesPath.isEmpty() && listener < 0)
        return Fail("cannot listen on " + linesPath);

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return Fail("cannot open a pseudo-terminal");
    const char *slave = ::ptsname(master);
    if (slave == nullptr || !MakeRaw(slave))
        return Fail("cannot set up the pseudo-terminal");
    std::printf("%s\n", slave);
    std::fflush(stdout);

    Simulator simulator(*scenario, master, listener, recorder);
    return simulator.run();
}
