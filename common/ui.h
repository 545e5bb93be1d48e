#pragma once

#include <QByteArray>

class QDialog;

// Every modal interaction of the windows goes through this seam, so that the
// windows run headless with scripted answers in the tests.

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };
// Default is the arrow; BusyArrow is the arrow with the hourglass beside it:
// the program is busy, yet the user may still click.
enum class MousePointer { Default, Hourglass, BusyArrow };

class Ui {
  public:
    virtual ~Ui() = default;

    // Texts are byte strings, one character per byte.
    virtual MsgAnswer msgBox(const QByteArray &text, MsgButtons buttons, MsgIcon icon,
                             const QByteArray &title) = 0;
    virtual void beep() = 0;
    virtual void setMousePointer(MousePointer pointer) = 0;
    virtual MousePointer mousePointer() const = 0;
    // Lets pending window events run (repaints, queued signals).
    virtual void doEvents() = 0;
    // Shows the dialog modally and returns once it has been closed.
    virtual void showModal(QDialog &dialog) = 0;
    // Closes every window without its close confirmation and leaves the
    // program with the exit status (0: all went as it should) once control
    // returns to the event loop. Once the program is ending, a later call
    // keeps the first status.
    virtual void endProgram(int exitStatus = 0) = 0;
    virtual bool programEnded() const = 0;
    // The status given to endProgram.
    virtual int exitStatus() const = 0;
};

// The seam in force; the Qt one unless a test installed its own.
Ui &ui();
// Installs a replacement (nullptr restores the Qt one). Not owned.
void setUi(Ui *replacement);
