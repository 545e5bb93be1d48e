#include "private_folder.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <sys/stat.h>

namespace {
constexpr mode_t kFolderMode = 0700;
}

bool MakePrivateFolder(const QString &folder) {
    const QByteArray path = QFile::encodeName(QDir::cleanPath(folder));
    for (qsizetype end = path.indexOf('/', 1);; end = path.indexOf('/', end + 1)) {
        const QByteArray part = end < 0 ? path : path.left(end);
        if (::mkdir(part.constData(), kFolderMode) == 0) {
            if (::chmod(part.constData(), kFolderMode) != 0)
                return false;
        } else if (errno != EEXIST) {
            return false;
        }
        if (end < 0)
            break;
    }
    struct stat info {};
    return ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}
