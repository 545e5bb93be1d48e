#include "frmRegistration.h"
#include "startup.h"
#include "ui.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kestenrol"));
    QApplication::setDesktopFileName(QStringLiteral("kestenrol"));
    Main([] {
        auto *wizard = new frmRegistration;
        wizard->setAttribute(Qt::WA_DeleteOnClose);
        wizard->show();
    });
    if (ui().programEnded())
        return ui().exitStatus();
    return QApplication::exec();
}
