#include "store_guard.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kVfsName[] = "kestrune-guarded";
constexpr mode_t kPermissionBits = 07777;

QByteArray folderOf(const QByteArray &path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

bool mayUse(const struct stat &file, const struct stat &folder) {
    if (!S_ISREG(file.st_mode))
        return false;
    if (file.st_uid == ::geteuid())
        return true;
    if ((file.st_mode & S_IWOTH) != 0)
        return false;
    if (file.st_uid == 0 && (file.st_mode & S_IWGRP) == 0)
        return true;
    return IsGroupFolder(folder) && file.st_gid == folder.st_gid;
}

// The file at a path, opened and checked; kept open so that what SQLite
// opens afterwards can be compared with it.
class CheckedFile {
  public:
    CheckedFile(const QByteArray &path, bool create) {
        struct stat folder {};
        if (::stat(folderOf(path).constData(), &folder) != 0)
            return;
        const mode_t mode = IsGroupFolder(folder) ? kGroupStoreMode : kStoreMode;
        // Non-blocking, so that a pipe planted in the file's place cannot
        // hang the open; never through a symbolic link.
        const int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (create ? O_CREAT : 0);
        fd_ = ::open(path.constData(), flags, mode);
        if (fd_ < 0 || ::fstat(fd_, &file_) != 0 || !mayUse(file_, folder) ||
            !keptAs(mode, folder)) {
            close();
        }
    }
    ~CheckedFile() { close(); }
    CheckedFile(const CheckedFile &) = delete;
    CheckedFile &operator=(const CheckedFile &) = delete;

    bool ok() const { return fd_ >= 0; }

    // Whether the path still names the file that was checked.
    bool stillAt(const QByteArray &path) const {
        struct stat now {};
        return ::lstat(path.constData(), &now) == 0 && now.st_dev == file_.st_dev &&
               now.st_ino == file_.st_ino;
    }

  private:
    // The user's own file gets the store's mode, and in a group folder the
    // folder's group (new files take it from the folder already).
    bool keptAs(mode_t mode, const struct stat &folder) const {
        if (file_.st_uid != ::geteuid())
            return true;
        if (mode == kGroupStoreMode && file_.st_gid != folder.st_gid &&
            ::fchown(fd_, static_cast<uid_t>(-1), folder.st_gid) != 0)
            return false;
        return (file_.st_mode & kPermissionBits) == mode || ::fchmod(fd_, mode) == 0;
    }

    void close() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

    int fd_ = -1;
    struct stat file_ {};
};

sqlite3_vfs *gSystemVfs = nullptr;
sqlite3_vfs gGuardedVfs{};

int guardedOpen(sqlite3_vfs * /*vfs*/, sqlite3_filename name, sqlite3_file *file, int flags,
                int *outFlags) {
    constexpr int kStoreFiles = SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_MAIN_JOURNAL | SQLITE_OPEN_WAL;
    if (name == nullptr || (flags & kStoreFiles) == 0)
        return gSystemVfs->xOpen(gSystemVfs, name, file, flags, outFlags);
    file->pMethods = nullptr;
    const QByteArray path(name);
    const CheckedFile checked(path, (flags & SQLITE_OPEN_CREATE) != 0);
    if (!checked.ok())
        return SQLITE_CANTOPEN;
    // SQLite opens the log's shared-memory index itself, right after the
    // log: it is checked (and made) here.
    if ((flags & SQLITE_OPEN_WAL) != 0 && path.endsWith("-wal") &&
        !CheckedFile(path.chopped(3) + "shm", true).ok()) {
        return SQLITE_CANTOPEN;
    }
    const int rc = gSystemVfs->xOpen(gSystemVfs, name, file, flags, outFlags);
    if (rc == SQLITE_OK && !checked.stillAt(path)) {
        file->pMethods->xClose(file);
        file->pMethods = nullptr;
        return SQLITE_CANTOPEN;
    }
    return rc;
}

} // namespace

bool IsGroupFolder(const struct stat &folder) {
    return folder.st_uid == 0 && (folder.st_mode & S_IWGRP) != 0 && (folder.st_mode & S_IWOTH) == 0;
}

bool IsPlainStorePath(const QByteArray &path) {
    return path.startsWith('/') && !path.contains('\0');
}

const char *GuardedVfsName() {
    // Everything but opening is the system's own file system; the guarded
    // one hands the system's open its own description.
    static const bool registered = [] {
        gSystemVfs = sqlite3_vfs_find(nullptr);
        if (gSystemVfs == nullptr)
            return false;
        gGuardedVfs = *gSystemVfs;
        gGuardedVfs.pNext = nullptr;
        gGuardedVfs.zName = kVfsName;
        gGuardedVfs.xOpen = guardedOpen;
        return sqlite3_vfs_register(&gGuardedVfs, 0) == SQLITE_OK;
    }();
    // Unregistered, the name is unknown and every open fails: refused.
    static_cast<void>(registered);
    return kVfsName;
}
