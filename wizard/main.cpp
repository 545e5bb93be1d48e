#include "frmRegistration.h"
#include "private_memory.h"
#include "quit_signals.h"
#include "startup.h"
#include "ui.h"

#include <QApplication>
#include <QPointer>

int main(int argc, char *argv[]) {
    // Before anything is read or typed.
    KeepMemoryPrivate();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kestenrol"));
    QApplication::setDesktopFileName(QStringLiteral("kestenrol"));
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
