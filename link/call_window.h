#pragma once

#include "conversation_window.h"

#include <QString>

class Telephony;

// What the registration call needs from the wizard window, beyond what the
// conversation on it needs. The window implements it; the call never
// reaches its controls.
class CallWindow : public ConversationWindow {
  public:
    // The status line that follows the call ("Dialing Kestrune...").
    virtual void ShowStatus(const QString &text) = 0;
    // The line indicator: up or down.
    virtual void ShowLineUp(bool up) = 0;
    // The "Connection Settings" window, modally, on the call's telephony.
    virtual void ShowConnectionSettings(Telephony &telephony) = 0;
};
