#include "pictures.h"

#include <QFile>
#include <QFileInfo>

QPixmap LoadPicture(const QByteArray &path) {
    QPixmap picture;
    picture.load(QFile::decodeName(path));
    return picture;
}

bool FileExists(const QByteArray &path) {
    return !path.isEmpty() && QFileInfo(QFile::decodeName(path)).isFile();
}
