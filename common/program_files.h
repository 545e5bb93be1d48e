#pragma once

#include <QByteArray>
#include <QList>

// The program's optional text files: looked for in the program folder,
// then in the installed data folder.

// The fixed fall-back folder, with its trailing separator: the installed
// data folder unless replaced (tests use a folder of their own).
QByteArray FallbackFolder();
void SetFallbackFolder(const QByteArray &folder);

// The path of the named file in the program folder, else in the fall-back
// folder; empty when neither holds it.
QByteArray FindProgramFile(const QByteArray &name);

// Why reading a file failed, as a number and a description.
struct FileError {
    int number = 0;
    QByteArray description;
};

// The most of a text file that is read: the program's files are a few
// kilobytes, and a huge or damaged one must not hold up or swamp a window.
inline constexpr qsizetype kTextFileLimit = 64 * 1024;

// Reads the file's lines (ending in CR LF, LF or CR). A final line without
// its line break still counts; no empty line follows a final line break.
// Only the first maxBytes bytes are read: a longer file ends with the last
// line that is complete within them, or is cut at maxBytes when they hold no
// line break. Returns false and fills error when the file cannot be opened
// or read.
bool ReadTextLines(const QByteArray &path, QList<QByteArray> &lines, FileError &error,
                   qsizetype maxBytes = kTextFileLimit);
