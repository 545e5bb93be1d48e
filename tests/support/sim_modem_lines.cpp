#include "sim_modem_lines.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// How long the simulator is given to say how carrier detect is.
constexpr int kFirstWord = 5000;

int ConnectTo(const QString &path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<size_t>(name.size()) >= sizeof address.sun_path)
        return -1;
    std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

} // namespace

SimModemLines::SimModemLines(const QString &socketPath, Carrier carrier)
    : fd_(ConnectTo(socketPath)), reported_(carrier == Carrier::Reported) {
    if (fd_ < 0) {
        qWarning("cannot reach the simulator's modem-control lines");
        return;
    }
    hear(kFirstWord);
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SimModemLines::onReadable);
}

SimModemLines::~SimModemLines() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool SimModemLines::setDtr(bool on) {
    const QByteArray line = on ? "dtr on\n" : "dtr off\n";
    return fd_ >= 0 && ::send(fd_, line.constData(), static_cast<size_t>(line.size()),
                              MSG_NOSIGNAL) == line.size();
}

std::optional<bool> SimModemLines::carrier() {
    if (!reported_ || fd_ < 0)
        return std::nullopt;
    hear(0);
    return dcd_;
}

void SimModemLines::watchCarrier() {
    watching_ = reported_;
}

bool SimModemLines::waitForCarrierOff(int milliseconds) {
    if (!reported_ || fd_ < 0)
        return false;
    const QDeadlineTimer deadline(milliseconds);
    hear(0);
    while (dcd_ && !deadline.hasExpired())
        hear(static_cast<int>(deadline.remainingTime()));
    return !dcd_;
}

void SimModemLines::hear(int milliseconds) {
    pollfd readable{fd_, POLLIN, 0};
    if (::poll(&readable, 1, milliseconds) <= 0)
        return;
    char buffer[256];
    ssize_t got = 0;
    while ((got = ::read(fd_, buffer, sizeof buffer)) > 0)
        heard_.append(buffer, static_cast<qsizetype>(got));
    for (qsizetype end = heard_.indexOf('\n'); end >= 0; end = heard_.indexOf('\n')) {
        const QByteArray line = heard_.left(end);
        heard_.remove(0, end + 1);
        if ((line == "dcd on" || line == "dcd off") && dcd_ != (line == "dcd on")) {
            dcd_ = !dcd_;
            if (watching_)
                QMetaObject::invokeMethod(
                    this, [this, on = dcd_] { Q_EMIT carrierChanged(on); }, Qt::QueuedConnection);
        }
    }
    if (got == 0 && notifier_ != nullptr)
        notifier_->setEnabled(false); // the simulator has gone
}

void SimModemLines::onReadable() {
    hear(0);
}
