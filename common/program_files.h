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

// Reads the file's lines (ending in CR LF, LF or CR). A final line without
// its line break still counts; no empty line follows a final line break.
// Returns false and fills error when the file cannot be opened or read.
bool ReadTextLines(const QByteArray &path, QList<QByteArray> &lines, FileError &error);
