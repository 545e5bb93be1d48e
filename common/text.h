#pragma once

#include <QByteArray>

// Removes blanks (spaces) from both ends. Other white space is kept: texts
// such as the host's messages may carry meaningful tabs or line breaks.
QByteArray Trim(const QByteArray &text);

// True when the text is one or more of the digits 0 to 9 and nothing else.
bool AllDigits(const QByteArray &text);
