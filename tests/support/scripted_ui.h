#pragma once

#include "ui.h"

#include <QByteArray>
#include <QList>
#include <functional>

class QDialog;

// A seam for tests: records every interaction and answers from a script.
// Nothing blocks: a modal dialog is shown, handed to the next scripted
// action (which clicks a button, fires a timer, ...) and closed afterwards
// if the action left it open.
class ScriptedUi final : public Ui {
  public:
    struct Message {
        QByteArray text;
        MsgButtons buttons;
        MsgIcon icon;
        QByteArray title;
    };

    ScriptedUi();
    ~ScriptedUi() override;
    ScriptedUi(const ScriptedUi &) = delete;
    ScriptedUi &operator=(const ScriptedUi &) = delete;

    MsgAnswer msgBox(const QByteArray &text, MsgButtons buttons, MsgIcon icon,
                     const QByteArray &title) override;
    void beep() override { ++beeps; }
    void setMousePointer(MousePointer pointer) override { pointer_ = pointer; }
    MousePointer mousePointer() const override { return pointer_; }
    void doEvents() override;
    void showModal(QDialog &dialog) override;
    void endProgram(int exitStatus = 0) override;
    bool programEnded() const override { return ended; }
    int exitStatus() const override { return endStatus; }

    // Answers for the coming message boxes, in order; without one the
    // first button of the box is taken.
    QList<MsgAnswer> answers;
    // Run while the coming message boxes are shown, in order, before they
    // are answered (the event loop may run inside).
    QList<std::function<void()>> messageActions;
    // Called with each modal dialog, in order; without one the dialog is
    // closed straight away. A handler may itself raise message boxes.
    QList<std::function<void(QDialog &)>> modalActions;

    QList<Message> messages;
    QList<QByteArray> modalTitles;
    int beeps = 0;
    bool ended = false;
    int endStatus = 0;

  private:
    MousePointer pointer_ = MousePointer::Default;
};
