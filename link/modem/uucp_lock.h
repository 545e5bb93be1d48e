#pragma once

#include <QByteArray>
#include <optional>

// The UUCP lock files with which dial-out programs keep off one another's
// serial devices: a file LCK..<device> in the lock folder whose first line is
// the pid of the program that has the device open. Other dialers write it in
// the HDB form, ten characters right-justified and a line end; Qt Serial Port
// writes the pid, then its program's name and its host on lines of their own.
//
// The wizard only looks: Qt Serial Port writes the lock itself when it opens
// the device, under the name of the path it is given, so the device is
// opened by its resolved path and the lock names agree.

inline constexpr char kLockFolder[] = "/var/lock";

// The device's path with its links, "." and ".." resolved, as far as it
// exists; the path as given, tidied, when it does not.
QByteArray ResolvedDevicePath(const QByteArray &devicePath);

// "LCK.." and the device's path below /dev with "/" turned into "_", as Qt
// Serial Port names it: /dev/ttyS0 gives LCK..ttyS0, /dev/pts/3 LCK..pts_3.
QByteArray LockFileName(const QByteArray &devicePath);

// The pid a lock file's text names: decimal on the first line, with blanks
// around it (the HDB form) or not, or, in the oldest form, four binary bytes.
std::optional<long> LockFilePid(const QByteArray &text);

// Who holds a device: the lock's pid and that process's name, or no pid
// when the lock file is there but cannot be read as a lock.
struct LockHolder {
    std::optional<long> pid;
    QByteArray program; // from /proc/PID/comm, empty where unreadable
};

class UucpLock {
  public:
    UucpLock(const QByteArray &folder, const QByteArray &devicePath);

    // Another live program that holds the device, or nothing when it is
    // free. The lock is looked for under the device's resolved name, then
    // under the name of the path as given, as a dialer given the same link
    // would name it. A lock of a process that has ended is removed; one that
    // cannot be is reported with its pid and no program name. Anything at a
    // lock's name that is not a small regular file naming a pid (a link, a
    // FIFO, a folder, garbage) is an unknown holder: never opened in a way
    // that can block, never removed.
    std::optional<LockHolder> holder() const;

    QByteArray device() const { return device_; } // the path to open
    QByteArray path() const { return path_; }     // the lock file's

  private:
    QByteArray folder_;
    QByteArray device_;
    QByteArray path_;
    QByteArray pathAsGiven_;
};
