#include "frmRegistration.h"
#include "logging.h"
#include "private_memory.h"
#include "quit_signals.h"
#include "startup.h"
#include "ui.h"

#include <QApplication>
#include <QPointer>
#include <cstdio>

namespace {

// --log FILE writes what support needs to the file.
bool StartLog(const QStringList &arguments) {
    const qsizetype at = arguments.indexOf(QStringLiteral("--log"));
    if (at < 0)
        return true;
    if (at + 1 >= arguments.size()) {
        std::fprintf(stderr, "usage: kestenrol [--log FILE]\n");
        return false;
    }
    QString error;
    if (LogToFile(arguments.at(at + 1), error))
        return true;
    std::fprintf(stderr, "kestenrol: cannot write the log %s: %s\n",
                 qPrintable(arguments.at(at + 1)), qPrintable(error));
    return false;
}

} // namespace

int main(int argc, char *argv[]) {
    // Before anything is read or typed.
    KeepMemoryPrivate();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kestenrol"));
    QApplication::setDesktopFileName(QStringLiteral("kestenrol"));
    if (!StartLog(QCoreApplication::arguments()))
        return 2;
    EndProgramOnQuitSignals();
    QPointer<frmRegistration> wizard;
    Main([&wizard] {
        wizard = new frmRegistration;
        wizard->setAttribute(Qt::WA_DeleteOnClose);
        wizard->show();
    });
    const int status = ui().programEnded() ? ui().exitStatus() : QApplication::exec();
    // The window owns the telephony control, which hangs up a call still
    // in progress as it goes.
    delete wizard.data();
    return status;
}
