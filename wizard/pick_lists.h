#pragma once

#include <QByteArray>
#include <QList>
#include <optional>

// The wizard's fixed choices and the two optional files that extend them.

// The states, in the order the drop-down list offers them.
const QList<QByteArray> &StateChoices();

// The "heard about" choices built in, before the file's and "Other".
const QList<QByteArray> &BuiltInHeardAbout();
inline constexpr char kOtherChoice[] = "Other";

// A line whose first character is "*" is a comment.
bool IsCommentLine(const QByteArray &line);

// Adds each of heardabt.txt's lines that is not a comment and that no
// choice in the list begins with (ignoring letter case) to the end of the
// list, in file order. The caller closes the list with "Other".
void AddHeardAboutLines(QList<QByteArray> &choices, const QList<QByteArray> &fileLines);

// contacts.txt: the first line that is not a comment is the web address, the
// second the support number; a blank line counts but changes nothing, later
// lines are ignored.
struct ContactLines {
    std::optional<QByteArray> webAddress;
    std::optional<QByteArray> supportPhone;
};
ContactLines ReadContactLines(const QList<QByteArray> &fileLines);
