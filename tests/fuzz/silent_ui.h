#pragma once

#include "ui.h"

// A seam that shows nothing and answers every message with its first
// button, so that no message box ever waits for a user.
class SilentUi final : public Ui {
  public:
    MsgAnswer msgBox(const QByteArray & /*text*/, MsgButtons buttons, MsgIcon /*icon*/,
                     const QByteArray & /*title*/) override {
        return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes
                                                                                  : MsgAnswer::Ok;
    }
    void beep() override {}
    void setMousePointer(MousePointer /*pointer*/) override {}
    MousePointer mousePointer() const override { return MousePointer::Default; }
    void doEvents() override {}
    void showModal(QDialog & /*dialog*/) override {}
    void endProgram() override {}
    bool programEnded() const override { return false; }
};
