#pragma once

class QWidget;

// Selects the whole text of an entry box so that typing replaces it.
// Controls without a text selection (lists, buttons) are left as they are.
void SelectAllText(QWidget *control);
