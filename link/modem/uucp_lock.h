#pragma once

#include <QByteArray>
#include <optional>

// The UUCP lock files with which dial-out programs keep off one another's
// serial devices: a file LCK..<device> in the lock folder holding the pid of
// the program that has the device open.

inline constexpr char kLockFolder[] = "/var/lock";

// "LCK.." and the device's path below /dev with "/" turned into "_":
// /dev/ttyS0 gives LCK..ttyS0, /dev/pts/3 LCK..pts_3.
QByteArray LockFileName(const QByteArray &devicePath);

// The pid a lock file's text names: decimal (in any amount of blanks, with
// or without a line end) or, in the oldest form, four binary bytes.
std::optional<long> LockFilePid(const QByteArray &text);

class UucpLock {
  public:
    UucpLock(const QByteArray &folder, const QByteArray &devicePath);
    ~UucpLock();
    UucpLock(const UucpLock &) = delete;
    UucpLock &operator=(const UucpLock &) = delete;

    // True when a live process other than this one holds the device. A lock
    // of a process that has ended is removed; so is a lock file whose text
    // names no process, once it is old enough not to be still in the
    // writing.
    bool heldByAnother() const;

    // Marks the device as ours while it is open, unless a lock file is there
    // already (the serial port library may have written one for us).
    void take();
    // Removes the lock file that take() wrote.
    void release();

    QByteArray path() const { return path_; }

  private:
    QByteArray path_;
    bool written_ = false;
};
