#include "uucp_lock.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A lock file is a line or a few; anything longer is not one.
constexpr qsizetype kLongestLockFile = 1024;
// /proc/PID/comm: at most 15 characters and a line end.
constexpr qint64 kLongestProgramName = 64;
// Stale locks removed in a row before the check gives up on the name.
constexpr int kStaleRemovals = 3;
// The kernel's highest pid (PID_MAX_LIMIT): a bigger number is no pid.
constexpr long kHighestPid = 4194304;

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

  private:
    int fd_;
};

// What is at a lock file's name.
struct Found {
    bool present = false;
    std::optional<long> pid; // set for a regular lock file naming a pid
    dev_t device = 0;
    ino_t inode = 0;
};

// Reads the lock file at the path without following a link, without
// waiting on a FIFO or a device, and only from a small regular file; what
// is read is the file that fstat describes, whatever the name means later.
Found Look(const QByteArray &path) {
    Found found;
    const int fd =
        ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    found.present = fd >= 0 || (errno != ENOENT && errno != ENOTDIR);
    if (fd < 0)
        return found;
    const Descriptor file(fd);
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > kLongestLockFile)
        return found;
    QByteArray text(kLongestLockFile + 1, '\0');
    const ssize_t size = ::pread(fd, text.data(), text.size(), 0);
    if (size < 0 || size > kLongestLockFile)
        return found;
    text.truncate(size);
    found.pid = LockFilePid(text);
    found.device = status.st_dev;
    found.inode = status.st_ino;
    return found;
}

bool ProcessAlive(long pid) {
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

QByteArray ProgramName(long pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return comm.read(kLongestProgramName).trimmed();
}

bool Rename(const QByteArray &from, const QByteArray &to) {
    return ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0;
}

// Removes the stale lock that was found at the path, and nothing else.
// Reading a dead pid and then unlinking the name races with another program
// that removes the same lock and takes the device in between: the unlink
// would take away that program's fresh lock. So the name is renamed aside,
// atomically, to a name of this process's own in the same folder; only if
// what was moved is the very file judged (same device and inode, still
// naming a process that has ended) is it unlinked, else it is put back.
// True when the name no longer holds the stale lock.
bool RemoveStale(const QByteArray &folder, const QByteArray &path, const Found &stale) {
    const QByteArray aside = folder + "/.kestrune-stale." +
                             QByteArray::number(static_cast<qlonglong>(::getpid())) + '.' +
                             QByteArray::number(QRandomGenerator::system()->generate64(), 16);
    if (!Rename(path, aside))
        return errno == ENOENT; // someone else removed it
    const Found moved = Look(aside);
    if (moved.pid == stale.pid && moved.device == stale.device && moved.inode == stale.inode &&
        !ProcessAlive(*stale.pid))
        return ::unlink(aside.constData()) == 0 || errno == ENOENT;
    // A new lock took the name between the look and the rename. Should yet
    // another have taken it meanwhile, the moved one stays aside rather than
    // replace it.
    Rename(aside, path);
    return false;
}

std::optional<LockHolder> HolderAt(const QByteArray &folder, const QByteArray &path) {
    for (int removed = 0;; ++removed) {
        const Found found = Look(path);
        if (!found.present)
            return std::nullopt;
        if (!found.pid)
            return LockHolder{};
        if (*found.pid == ::getpid())
            return std::nullopt;
        if (ProcessAlive(*found.pid))
            return LockHolder{found.pid, ProgramName(*found.pid)};
        // Left behind by a program that ended without cleaning up. One that
        // cannot be removed keeps the device from being opened.
        if (removed == kStaleRemovals || !RemoveStale(folder, path, found))
            return LockHolder{found.pid, {}};
    }
}

} // namespace

QByteArray ResolvedDevicePath(const QByteArray &devicePath) {
    // A bare port name is a device in /dev, as Qt Serial Port reads it.
    const QByteArray path =
        devicePath.startsWith('/') || devicePath.startsWith("./") || devicePath.startsWith("../")
            ? devicePath
            : "/dev/" + devicePath;
    if (char *resolved = ::realpath(path.constData(), nullptr)) {
        QByteArray result(resolved);
        std::free(resolved);
        return result;
    }
    return QFile::encodeName(QDir::cleanPath(QFile::decodeName(path)));
}

QByteArray LockFileName(const QByteArray &devicePath) {
    QByteArray name = devicePath;
    if (name.startsWith("/dev/"))
        name.remove(0, 5);
    return "LCK.." + name.replace('/', '_');
}

std::optional<long> LockFilePid(const QByteArray &text) {
    const qsizetype lineEnd = text.indexOf('\n');
    const QByteArray line = (lineEnd < 0 ? text : text.left(lineEnd)).trimmed();
    const bool decimal =
        !line.isEmpty() && line.size() <= 10 &&
        std::all_of(line.begin(), line.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (decimal) {
        const long pid = line.toLong();
        if (pid <= 0 || pid > kHighestPid)
            return std::nullopt;
        return pid;
    }
    if (text.size() != sizeof(std::int32_t))
        return std::nullopt;
    std::int32_t binary = 0;
    std::memcpy(&binary, text.constData(), sizeof binary);
    if (binary <= 0 || binary > kHighestPid)
        return std::nullopt;
    return binary;
}

UucpLock::UucpLock(const QByteArray &folder, const QByteArray &devicePath)
    : folder_(folder), device_(ResolvedDevicePath(devicePath)),
      path_(folder + '/' + LockFileName(device_)),
      pathAsGiven_(folder + '/' + LockFileName(devicePath)) {}

std::optional<LockHolder> UucpLock::holder() const {
    if (std::optional<LockHolder> holder = HolderAt(folder_, path_))
        return holder;
    if (pathAsGiven_ != path_)
        return HolderAt(folder_, pathAsGiven_);
    return std::nullopt;
}
