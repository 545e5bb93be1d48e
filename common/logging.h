#pragma once

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>

// What the programs write down for support: the modem's dialogue, the line
// and the conversation with the host, as debug messages of these
// categories. They are off unless QT_LOGGING_RULES turns them on
// ("kestrune.*.debug=true") or the log goes to a file (LogToFile). Card
// details and passwords are never written: only their length.
Q_DECLARE_LOGGING_CATEGORY(lcModem)        // kestrune.modem
Q_DECLARE_LOGGING_CATEGORY(lcLine)         // kestrune.line
Q_DECLARE_LOGGING_CATEGORY(lcConversation) // kestrune.conversation

// Turns every category on and appends their messages, and any warning, to
// the file, which only its owner may read. False, with the reason in error,
// when the file cannot be opened.
bool LogToFile(const QString &path, QString &error);

// A text as the log shows it: printable characters as they are, others as
// \r, \n or \xHH.
QByteArray LogText(const QByteArray &text);
// A secret as the log shows it: its length only.
QByteArray Redacted(const QByteArray &secret);
