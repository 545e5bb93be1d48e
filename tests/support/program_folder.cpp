#include "program_folder.h"

#include <QDir>
#include <QFile>

ProgramFolder::ProgramFolder()
    : oldRegistry_(qgetenv("KESTRUNE_REGISTRY")), oldConfig_(qgetenv("XDG_CONFIG_HOME")) {
    QDir(dir_.path()).mkpath(QStringLiteral("program"));
    QDir(dir_.path()).mkpath(QStringLiteral("config"));
    qputenv("KESTRUNE_REGISTRY", QFile::encodeName(registryPath()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome()));
}

ProgramFolder::~ProgramFolder() {
    qputenv("KESTRUNE_REGISTRY", oldRegistry_);
    qputenv("XDG_CONFIG_HOME", oldConfig_);
}

QString ProgramFolder::path() const {
    return dir_.path() + QStringLiteral("/program");
}

QByteArray ProgramFolder::appPath() const {
    return QFile::encodeName(path()) + '/';
}

QString ProgramFolder::registryPath() const {
    return dir_.path() + QStringLiteral("/registry.db");
}

QString ProgramFolder::configHome() const {
    return dir_.path() + QStringLiteral("/config");
}

void ProgramFolder::writeFile(const QString &name, const QByteArray &bytes) const {
    QFile file(path() + QLatin1Char('/') + name);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}
