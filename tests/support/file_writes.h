#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

// Counts how often a file is written, from the kernel's notices on its
// folder: each time it is written in place and closed, and each time a new
// file is renamed onto its name, counts once. Opening it without writing
// does not count. Notices are only read when asked for, so nothing waits.
class FileWrites {
  public:
    // The file's folder must exist.
    explicit FileWrites(const QString &file);
    ~FileWrites();
    FileWrites(const FileWrites &) = delete;
    FileWrites &operator=(const FileWrites &) = delete;

    // The writes since the watch began; -1 when the folder cannot be watched.
    int count();

  private:
    int fd_ = -1;
    bool watching_ = false;
    QByteArray name_;
    bool modified_ = false;
    int count_ = 0;
};
