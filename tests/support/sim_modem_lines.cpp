#include "sim_modem_lines.h"

#include <QByteArray>
#include <QFile>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// How long the simulator is given to say how carrier detect is.
constexpr int kFirstWord = 5000;

struct Channel {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    QByteArray heard;
    std::atomic<bool> dcd = false;

    ~Channel() { ::close(fd); }

    // Waits up to the time for the simulator to say something and takes it
    // in; false on a signal (EINTR), or once it has gone (EIO).
    bool hear(int milliseconds) {
        pollfd said{fd, POLLIN, 0};
        if (::poll(&said, 1, milliseconds) != 1)
            return false;
        char buffer[256];
        ssize_t got = 0;
        while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
            heard.append(buffer, static_cast<qsizetype>(got));
        for (qsizetype end = heard.indexOf('\n'); end >= 0; end = heard.indexOf('\n')) {
            if (heard.startsWith("dcd "))
                dcd = heard.startsWith("dcd on\n");
            heard.remove(0, end + 1);
        }
        if (got == 0)
            errno = EIO;
        return got != 0;
    }
};

} // namespace

ModemControlCalls SimModemLines(const QString &socketPath, SimCarrier carrier) {
    auto channel = std::make_shared<Channel>();
    const QByteArray name = QFile::encodeName(socketPath);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, name.constData(), sizeof address.sun_path - 1);
    if (::connect(channel->fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        !channel->hear(kFirstWord))
        qWarning("cannot reach the simulator's modem-control lines");
    const bool reported = carrier == SimCarrier::Reported;
    return {
        [channel, reported](int, int &lines) {
            if (!reported) {
                errno = ENOTTY;
                return -1;
            }
            lines = channel->dcd ? TIOCM_CAR : 0;
            return 0;
        },
        [channel](int, bool raise, int) {
            const QByteArray line = raise ? "dtr on\n" : "dtr off\n";
            const ssize_t sent = ::send(channel->fd, line.constData(), line.size(), MSG_NOSIGNAL);
            return sent == line.size() ? 0 : -1;
        },
        [channel](int, int) {
            for (const bool was = channel->dcd; channel->dcd == was;) {
                if (!channel->hear(-1))
                    return -1;
            }
            return 0;
        },
    };
}
