#pragma once

#include <QString>

class QWidget;

// What a user of the window at its fixed size would miss, one line each: a
// named control outside it, a caption or list entry cut off, a button
// too narrow for its caption, an entry control without an accessible name.
// Empty when there is nothing; joined by "; " when there is.
QString LayoutProblems(const QWidget &window);
