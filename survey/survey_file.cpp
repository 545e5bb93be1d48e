#include "survey_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

SurveyFileContent ReadSurveyFile(const QByteArray &path) {
    const QString name = QFile::decodeName(path);
    if (!QFileInfo(name).isFile())
        return {};
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    SurveyFileContent content;
    content.bytes = file.read(kSurveyFileReadLimit);
    content.complete = file.read(1).isEmpty();
    return content;
}

bool WriteSurveyFile(const QByteArray &path, const QByteArray &text) {
    QSaveFile file(QFile::decodeName(path));
    // Unbuffered, so that a short write (a full disk) shows in write's
    // result; a buffer would lose it and the cut-off file would replace the
    // old one. An uncommitted new file is thrown away.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    return file.write(text) == text.size() && file.commit();
}
