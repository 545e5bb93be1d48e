#include "uucp_lock.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace {

// A lock file younger than this may still be in the writing.
constexpr qint64 kFreshLockSeconds = 10;
constexpr qint64 kLongestLockText = 128;

bool ProcessAlive(long pid) {
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::optional<long> DecimalPid(const QByteArray &text) {
    bool ok = false;
    const long pid = text.trimmed().toLong(&ok);
    if (!ok || pid <= 0)
        return std::nullopt;
    return pid;
}

} // namespace

QByteArray LockFileName(const QByteArray &devicePath) {
    QByteArray name = devicePath;
    if (name.startsWith("/dev/"))
        name.remove(0, 5);
    return "LCK.." + name.replace('/', '_');
}

std::optional<long> LockFilePid(const QByteArray &text) {
    const qsizetype lineEnd = text.indexOf('\n');
    if (const std::optional<long> pid = DecimalPid(lineEnd < 0 ? text : text.left(lineEnd)))
        return pid;
    if (text.size() != sizeof(std::int32_t))
        return std::nullopt;
    std::int32_t binary = 0;
    std::memcpy(&binary, text.constData(), sizeof binary);
    if (binary <= 0)
        return std::nullopt;
    return binary;
}

UucpLock::UucpLock(const QByteArray &folder, const QByteArray &devicePath)
    : path_(folder + '/' + LockFileName(devicePath)) {}

UucpLock::~UucpLock() {
    release();
}

bool UucpLock::heldByAnother() const {
    QFile file(QFile::decodeName(path_));
    if (!file.exists())
        return false;
    // A lock we may not read is another user's.
    if (!file.open(QIODevice::ReadOnly))
        return true;
    const std::optional<long> pid = LockFilePid(file.read(kLongestLockText));
    file.close();
    if (pid) {
        if (*pid == ::getpid())
            return false;
        if (ProcessAlive(*pid))
            return true;
    } else {
        const QDateTime written = QFileInfo(file).lastModified();
        if (qAbs(written.secsTo(QDateTime::currentDateTime())) < kFreshLockSeconds)
            return true;
    }
    // Stale: left behind by a program that ended without cleaning up. One
    // that cannot be removed keeps the device from being opened.
    return ::unlink(path_.constData()) != 0 && errno != ENOENT;
}

void UucpLock::take() {
    const int fd = ::open(path_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    const QByteArray text =
        QByteArray::number(static_cast<qlonglong>(::getpid())).rightJustified(10, ' ').append('\n');
    written_ = ::write(fd, text.constData(), text.size()) == text.size();
    ::close(fd);
    if (!written_)
        ::unlink(path_.constData());
}

void UucpLock::release() {
    if (!written_)
        return;
    written_ = false;
    QFile file(QFile::decodeName(path_));
    if (file.open(QIODevice::ReadOnly) && LockFilePid(file.read(kLongestLockText)) == ::getpid())
        ::unlink(path_.constData());
}
