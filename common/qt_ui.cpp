#include "qt_ui.h"

#include "code_page.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QWidget>

namespace {

QtUi &qtUi() {
    static QtUi instance;
    return instance;
}

Ui *gUiReplacement = nullptr;

QMessageBox::Icon toQt(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQt(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

MsgAnswer fromQt(int button) {
    switch (button) {
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    case QMessageBox::Cancel:
        return MsgAnswer::Cancel;
    default:
        return MsgAnswer::Ok;
    }
}

} // namespace

Ui &ui() {
    return gUiReplacement != nullptr ? *gUiReplacement : qtUi();
}

void setUi(Ui *replacement) {
    gUiReplacement = replacement;
}

MsgAnswer QtUi::msgBox(const QByteArray &text, MsgButtons buttons, MsgIcon icon,
                       const QByteArray &title) {
    QMessageBox box(toQt(icon), FromCodePage(title), FromCodePage(text), toQt(buttons),
                    QApplication::activeWindow());
    // Texts from the host or the store are shown exactly, never as markup.
    box.setTextFormat(Qt::PlainText);
    // Escape or the close box counts as the last button of the choice, as No
    // for a Yes/No question.
    if (buttons == MsgButtons::YesNo)
        box.setEscapeButton(QMessageBox::No);
    return fromQt(box.exec());
}

void QtUi::beep() {
    QApplication::beep();
}

void QtUi::setMousePointer(MousePointer pointer) {
    if (pointer == pointer_)
        return;
    pointer_ = pointer;
    while (QApplication::overrideCursor() != nullptr)
        QApplication::restoreOverrideCursor();
    if (pointer == MousePointer::Hourglass)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (pointer == MousePointer::BusyArrow)
        QApplication::setOverrideCursor(Qt::BusyCursor);
}

void QtUi::doEvents() {
    QApplication::processEvents();
}

void QtUi::showModal(QDialog &dialog) {
    dialog.exec();
}

void QtUi::endProgram(int exitStatus) {
    // The first reason to end is the one the program leaves with.
    if (!ended_)
        exitStatus_ = exitStatus;
    ended_ = true;
    // Close handlers consult programEnded() and skip their confirmations.
    for (QWidget *window : QApplication::topLevelWidgets())
        window->close();
    QCoreApplication::exit(exitStatus_);
}
