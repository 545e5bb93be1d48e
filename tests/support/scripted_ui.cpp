#include "scripted_ui.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

ScriptedUi::ScriptedUi() {
    setUi(this);
}

ScriptedUi::~ScriptedUi() {
    // A newer scripted seam may already be in force; leave it so.
    if (&ui() == this)
        setUi(nullptr);
}

MsgAnswer ScriptedUi::msgBox(const QByteArray &text, MsgButtons buttons, MsgIcon icon,
                             const QByteArray &title) {
    messages.append({text, buttons, icon, title});
    if (!messageActions.isEmpty())
        messageActions.takeFirst()();
    if (!answers.isEmpty())
        return answers.takeFirst();
    const bool asks = buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel;
    return asks ? MsgAnswer::Yes : MsgAnswer::Ok;
}

void ScriptedUi::doEvents() {
    QApplication::processEvents();
}

void ScriptedUi::showModal(QDialog &dialog) {
    modalTitles.append(dialog.windowTitle().toLatin1());
    dialog.show();
    QApplication::processEvents();
    if (!modalActions.isEmpty())
        modalActions.takeFirst()(dialog);
    if (dialog.isVisible())
        dialog.close();
}

void ScriptedUi::endProgram(int exitStatus) {
    ended = true;
    endStatus = exitStatus;
    for (QWidget *window : QApplication::topLevelWidgets())
        window->close();
}
