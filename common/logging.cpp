#include "logging.h"

#include <QDateTime>
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcModem, "kestrune.modem", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLine, "kestrune.line", QtWarningMsg)
Q_LOGGING_CATEGORY(lcConversation, "kestrune.conversation", QtWarningMsg)

namespace {

std::FILE *gLogFile = nullptr;

void WriteToLog(QtMsgType /*type*/, const QMessageLogContext &context, const QString &message) {
    const QByteArray line =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz ")).toUtf8() +
        (context.category != nullptr ? context.category : "default") + ": " + message.toUtf8() +
        '\n';
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), gLogFile);
    std::fflush(gLogFile);
}

} // namespace

bool LogToFile(const QString &path, QString &error) {
    const QByteArray name = QFile::encodeName(path);
    // Created for its owner alone; an existing file is appended to.
    const int fd =
        ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NOCTTY | O_CLOEXEC, 0600);
    std::FILE *file = fd >= 0 ? ::fdopen(fd, "a") : nullptr;
    if (file == nullptr) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    gLogFile = file;
    qInstallMessageHandler(WriteToLog);
    QLoggingCategory::setFilterRules(QStringLiteral("kestrune.*.debug=true"));
    return true;
}

QByteArray LogText(const QByteArray &text) {
    QByteArray shown;
    for (const char c : text) {
        if (c == '\r')
            shown += "\\r";
        else if (c == '\n')
            shown += "\\n";
        else if (c >= ' ' && c <= '~')
            shown += c;
        else
            shown += "\\x" +
                     QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0');
    }
    return shown;
}

QByteArray Redacted(const QByteArray &secret) {
    return '(' + QByteArray::number(secret.size()) + " characters)";
}
