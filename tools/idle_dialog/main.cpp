// idle-dialog: a bare Qt dialog with twelve line edits and nothing else,
// titled "Idle Dialog". scripts/measure-wakeups sets the wizard's idle
// wakeups beside this dialog's: what a Qt window costs while the text
// cursor blinks in a box.
#include <QApplication>
#include <QDialog>
#include <QFormLayout>
#include <QLineEdit>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Idle Dialog"));
    auto *form = new QFormLayout(&dialog);
    for (int box = 1; box <= 12; ++box)
        form->addRow(QStringLiteral("Box %1").arg(box), new QLineEdit(&dialog));
    dialog.show();
    return dialog.exec();
}
