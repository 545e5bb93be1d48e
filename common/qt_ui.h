#pragma once

#include "ui.h"

// The production seam over Qt's message boxes, cursor and event loops.
class QtUi final : public Ui {
  public:
    MsgAnswer msgBox(const QByteArray &text, MsgButtons buttons, MsgIcon icon,
                     const QByteArray &title) override;
    void beep() override;
    void setMousePointer(MousePointer pointer) override;
    MousePointer mousePointer() const override { return pointer_; }
    void doEvents() override;
    void showModal(QDialog &dialog) override;
    void endProgram(int exitStatus = 0) override;
    bool programEnded() const override { return ended_; }
    int exitStatus() const override { return exitStatus_; }

  private:
    MousePointer pointer_ = MousePointer::Default;
    bool ended_ = false;
    int exitStatus_ = 0;
};
