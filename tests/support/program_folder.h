#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A throw-away machine for one test: a program folder, a registry store and
// a per-user settings folder, all inside one temporary directory, with the
// environment pointing the program at them.
class ProgramFolder {
  public:
    ProgramFolder();
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder &) = delete;
    ProgramFolder &operator=(const ProgramFolder &) = delete;

    QString path() const;         // the program folder, no trailing separator
    QByteArray appPath() const;   // the same with its trailing separator
    QString registryPath() const; // the registry store file
    QString configHome() const;   // $XDG_CONFIG_HOME
    QString root() const { return dir_.path(); }

    // Writes a file into the program folder (bytes as given).
    void writeFile(const QString &name, const QByteArray &bytes) const;

  private:
    QTemporaryDir dir_;
    QByteArray oldRegistry_;
    QByteArray oldConfig_;
};
