#pragma once

#include "frmRegistration.h"
#include "quick_modem.h"

#include <QString>
#include <memory>

class QDialog;
class QWidget;

// Drives the wizard window as a user does, with real key and mouse events.

// Starts the window as the program does and makes it the active one. Its
// modem is given the waits, and keeps its lock files in the temporary folder.
std::unique_ptr<frmRegistration> StartWizard(const HayesTimings &timings = QuickTimings());

// Types into the focused control, one key at a time.
void Type(const QString &text);
// Types into the focused control and presses Enter.
void Enter(const QString &text);
// Presses a key on the focused control.
void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Presses Alt and a letter, and waits while a button it pushes shows itself
// pushed before it acts.
void PressAlt(Qt::Key key);
// Presses a button with the mouse.
void Click(QWidget *button);
QWidget *Focused();

// Fills a page with valid entries from its first control on, typed with
// Enter between the boxes, and leaves the focus where the page's last
// Enter puts it. Page 1 picks Sydney.
void FillPage(frmRegistration &window, int page);
// Fills every page, moving on with Next.
void FillAllPages(frmRegistration &window);

// Answers the survey's one required question and presses Finish: a modal
// action for the survey window.
void FinishSurvey(QDialog &dialog);
