#pragma once

#include "ui.h"

// The seam for programs without windows (benchmarks, fuzzing): nothing
// waits for a user, every question gets its first answer, and messages go
// to standard error when echo is on.
class HeadlessUi final : public Ui {
  public:
    explicit HeadlessUi(bool echo) : echo_(echo) {}

    MsgAnswer msgBox(const QByteArray &text, MsgButtons buttons, MsgIcon icon,
                     const QByteArray &title) override;
    void beep() override {}
    void setMousePointer(MousePointer /*pointer*/) override {}
    MousePointer mousePointer() const override { return MousePointer::Default; }
    void doEvents() override {}
    void showModal(QDialog & /*dialog*/) override {}
    void endProgram(int exitStatus = 0) override {
        ended_ = true;
        exitStatus_ = exitStatus;
    }
    bool programEnded() const override { return ended_; }
    int exitStatus() const override { return exitStatus_; }

  private:
    bool echo_;
    bool ended_ = false;
    int exitStatus_ = 0;
};
