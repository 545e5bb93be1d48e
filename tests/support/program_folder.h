#pragma once

#include <QByteArray>
#include <QFile>
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

    // The program folder, no trailing separator.
    QString path() const { return root() + QStringLiteral("/program"); }
    // The same with its trailing separator.
    QByteArray appPath() const { return QFile::encodeName(path()) + '/'; }
    QString registryPath() const { return root() + QStringLiteral("/registry.db"); }
    // $XDG_CONFIG_HOME
    QString configHome() const { return root() + QStringLiteral("/config"); }
    QString root() const { return dir_.path(); }

    // Writes a file into the program folder (bytes as given).
    void writeFile(const QString &name, const QByteArray &bytes) const;

  private:
    QTemporaryDir dir_;
    QByteArray oldRegistry_;
    QByteArray oldConfig_;
};
