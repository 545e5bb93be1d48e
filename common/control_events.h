#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

class QWidget;

// Routes a control's focus and character-key events to its window's
// handlers (txtName_GotFocus, txtName_KeyPress, ...).

void OnGotFocus(QWidget *control, std::function<void()> handler);
void OnLostFocus(QWidget *control, std::function<void()> handler);

// The handler sees the key's character code (Enter is 13, Backspace 8) and
// may change it: 0 drops the key, another code types that character instead.
// Keys without a character (arrows, function keys, Tab) are not passed.
void OnKeyPress(QWidget *control, std::function<void(std::int16_t &KeyAscii)> handler);

// Sends a Tab keystroke to the focused control, moving the focus on.
void SendKeysTab();
