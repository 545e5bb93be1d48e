#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

class QWidget;

// Routes a window's activation and a control's focus and character-key
// events to the window's handlers (Form_Activate, txtName_GotFocus,
// txtName_KeyPress, ...).

void OnActivate(QWidget *window, std::function<void()> handler);
void OnGotFocus(QWidget *control, std::function<void()> handler);
// Only when the focus moves to another control, not when it leaves with the
// window or for a drop-down's list.
void OnLostFocus(QWidget *control, std::function<void()> handler);

// The handler sees the key's character code in the code page (Enter is 13,
// Ctrl+Enter 10, Backspace 8) and may change it: 0 drops the key, another
// code types that character instead. Keys without a character (arrows,
// function keys, Tab) are not passed; a character the code page cannot hold
// is dropped before the handler sees it.
void OnKeyPress(QWidget *control, std::function<void(std::int16_t &KeyAscii)> handler);

// Sends a Tab keystroke to the focused control, moving the focus on.
void SendKeysTab();
// Sends Ctrl+Enter to the focused control: a line break in a multi-line box.
void SendKeysCtrlEnter();

// The Enter rules of the entry controls, for their key handlers. Each
// drops the Enter key (and only it) and says whether it took it.
// Enter moves on to the next control in tab order, as Tab does.
bool EnterMovesOn(std::int16_t &KeyAscii);
// Enter gives the control (a window's main button) the focus without
// pressing it.
bool EnterFocuses(std::int16_t &KeyAscii, QWidget *control);
