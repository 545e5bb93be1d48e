#pragma once

#include <QByteArray>

// Removes blanks (spaces) from both ends. Other white space is kept: texts
// such as the host's messages may carry meaningful tabs or line breaks.
QByteArray Trim(const QByteArray &text);
