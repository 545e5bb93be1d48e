#pragma once

#include <QByteArray>

// The answers file "survey.txt" in the program folder, kept from one Finish
// to the next opening of the survey.

inline constexpr char kSurveyFileName[] = "survey.txt";

// No answers file of ours comes near this size; reading stops there.
inline constexpr qsizetype kSurveyFileReadLimit = 64 * 1024;

struct SurveyFileContent {
    QByteArray bytes;
    bool complete = true; // false when the file went on past the read limit
};

// The first kSurveyFileReadLimit bytes of the file at path. Only a regular
// file is read (a pipe or device under that name could block or never end);
// anything else, or a file that cannot be read, gives no bytes.
SurveyFileContent ReadSurveyFile(const QByteArray &path);

// Replaces the file at path with text. The text goes to a new file beside
// it first, and the old file is replaced only once that is complete, so a
// failure leaves the old file as it was. True when the file was replaced.
bool WriteSurveyFile(const QByteArray &path, const QByteArray &text);
