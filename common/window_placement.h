#pragma once

class QWidget;

// Places the window in the middle of the screen, size unchanged.
void CentreOnScreen(QWidget &window);
