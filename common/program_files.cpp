#include "program_files.h"

#include "pictures.h"
#include "program_state.h"

#include <QFile>
#include <algorithm>

#ifndef KESTRUNE_DATA_DIR
#define KESTRUNE_DATA_DIR "/usr/share/kestrune/kestenrol/"
#endif

namespace {
constexpr int kPathFileAccessError = 75;
constexpr int kDeviceIoError = 57;

QByteArray &fallbackFolder() {
    static QByteArray folder = QByteArrayLiteral(KESTRUNE_DATA_DIR);
    return folder;
}
} // namespace

QByteArray FallbackFolder() {
    return fallbackFolder();
}

void SetFallbackFolder(const QByteArray &folder) {
    fallbackFolder() = folder;
}

QByteArray FindProgramFile(const QByteArray &name) {
    QByteArray local = modKestenrol::gAppPath + name;
    if (FileExists(local))
        return local;
    QByteArray fallback = FallbackFolder() + name;
    if (FileExists(fallback))
        return fallback;
    return {};
}

bool ReadTextLines(const QByteArray &path, QList<QByteArray> &lines, FileError &error,
                   qsizetype maxBytes) {
    lines.clear();
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly)) {
        error = {kPathFileAccessError, "Path/File access error"};
        return false;
    }
    QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        error = {kDeviceIoError, "Device I/O error"};
        return false;
    }
    if (bytes.size() > maxBytes) {
        bytes.truncate(maxBytes);
        const qsizetype lastBreak = std::max(bytes.lastIndexOf('\r'), bytes.lastIndexOf('\n'));
        if (lastBreak >= 0)
            bytes.truncate(lastBreak + 1);
    }
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append(bytes.mid(start, i - start));
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines.append(bytes.mid(start));
    return true;
}
