#include "installed_copy.h"

#include "private_folder.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef KESTRUNE_BIN_DIR
#define KESTRUNE_BIN_DIR "/usr/bin"
#endif

namespace {

QByteArray &installedFolder() {
    static QByteArray folder = QByteArrayLiteral(KESTRUNE_BIN_DIR);
    return folder;
}

bool sameFolder(const QByteArray &one, const QByteArray &other) {
    const QFileInfo first(QFile::decodeName(one));
    const QFileInfo second(QFile::decodeName(other));
    return first.exists() && second.exists() &&
           first.canonicalFilePath() == second.canonicalFilePath();
}

} // namespace

QByteArray InstalledProgramsFolder() {
    return installedFolder();
}

void SetInstalledProgramsFolder(const QByteArray &folder) {
    installedFolder() = folder;
}

QByteArray UserProgramFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/Kestrune/kestenrol");
    MakePrivateFolder(folder);
    return QFile::encodeName(folder);
}

QByteArray OwnProgramFolder(const QByteArray &runningFolder) {
    return sameFolder(runningFolder, InstalledProgramsFolder()) ? UserProgramFolder()
                                                                : runningFolder;
}
