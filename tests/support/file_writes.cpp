#include "file_writes.h"

#include <QFile>
#include <QFileInfo>
#include <array>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

FileWrites::FileWrites(const QString &file)
    : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
      name_(QFile::encodeName(QFileInfo(file).fileName())) {
    const QByteArray folder = QFile::encodeName(QFileInfo(file).absolutePath());
    watching_ = fd_ >= 0 && ::inotify_add_watch(fd_, folder.constData(),
                                                IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO) >= 0;
}

FileWrites::~FileWrites() {
    if (fd_ >= 0)
        ::close(fd_);
}

int FileWrites::count() {
    if (!watching_)
        return -1;
    alignas(inotify_event) std::array<char, 64 * 1024> buffer{};
    for (;;) {
        const ssize_t got = ::read(fd_, buffer.data(), buffer.size());
        if (got <= 0)
            return count_;
        for (ssize_t at = 0; at < got;) {
            inotify_event event{};
            std::memcpy(&event, buffer.data() + at, sizeof event);
            const char *name = buffer.data() + at + sizeof event;
            at += static_cast<ssize_t>(sizeof event + event.len);
            if (event.len == 0 || name_ != name)
                continue;
            if ((event.mask & IN_MOVED_TO) != 0)
                ++count_;
            if ((event.mask & IN_MODIFY) != 0)
                modified_ = true;
            if ((event.mask & IN_CLOSE_WRITE) != 0 && modified_) {
                ++count_;
                modified_ = false;
            }
        }
    }
}
