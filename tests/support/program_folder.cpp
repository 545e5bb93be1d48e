#include "program_folder.h"

#include <QDir>

ProgramFolder::ProgramFolder()
    : oldRegistry_(qgetenv("KESTRUNE_REGISTRY")), oldConfig_(qgetenv("XDG_CONFIG_HOME")) {
    QDir().mkpath(path());
    QDir().mkpath(configHome());
    qputenv("KESTRUNE_REGISTRY", QFile::encodeName(registryPath()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome()));
}

ProgramFolder::~ProgramFolder() {
    qputenv("KESTRUNE_REGISTRY", oldRegistry_);
    qputenv("XDG_CONFIG_HOME", oldConfig_);
}

void ProgramFolder::writeFile(const QString &name, const QByteArray &bytes) const {
    QFile file(path() + QLatin1Char('/') + name);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}
