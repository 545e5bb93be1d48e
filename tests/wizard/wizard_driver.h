#pragma once

#include "frmRegistration.h"
#include "quick_modem.h"

#include <QString>
#include <memory>

class QDialog;
class QWidget;

// Drives the wizard window as a user does, with real key and mouse events.

// Starts the window as the program does and makes it the active one; its modem
// gets the waits and keeps its lock files in the temporary folder.
std::unique_ptr<frmRegistration> StartWizard(const HayesTimings &timings = QuickTimings());

QWidget *Focused();
// Types into the focused control one key at a time (Enter: and presses Enter).
void Type(const QString &text);
void Enter(const QString &text);
void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Alt and a letter; waits while a button it pushes shows itself pushed.
void PressAlt(Qt::Key key);
void Click(QWidget *button);

// Types valid entries into a page, Enter between the boxes, from its first
// control on (page 1 picks Sydney); FillAllPages moves on with Next.
void FillPage(frmRegistration &window, int page);
void FillAllPages(frmRegistration &window);

// A modal action for the survey window: its one required answer, then Finish.
void FinishSurvey(QDialog &dialog);
