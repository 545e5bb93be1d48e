#include "restore_startup.h"
#include "ui.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("acctrestore"));
    QApplication::setDesktopFileName(QStringLiteral("acctrestore"));
    const std::unique_ptr<frmAccountRestore> window = StartAccountRestore();
    if (ui().programEnded())
        return ui().exitStatus();
    return QApplication::exec();
}
