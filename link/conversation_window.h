#pragma once

#include "entry_control.h"
#include "flags.h"

#include <QByteArray>
#include <cstdint>

// What the registration conversation needs from the wizard window. The
// window implements it; the conversation never reaches its controls.

// The wizard's entries that the host may ask for, as the controls hold
// them at the moment of the request.
struct WizardEntries {
    QByteArray txtFirstName;
    QByteArray txtSurname;
    QByteArray txtAddress1;
    QByteArray txtAddress2;
    QByteArray txtAddress3;
    QByteArray cboState;
    QByteArray txtPostcode;
    QByteArray txtPhone;
    QByteArray txtEmail;
    QByteArray lstExisting; // the whole text of the selected dial-in entry
    QByteArray txtAlternative;
    QByteArray txtNickName;
    QByteArray txtPassword;
    QByteArray txtCV;
    QByteArray txtCallbackNumberArea;
    QByteArray txtCallbackNumber;
    std::int16_t chkInformation = 0; // 0 unticked
    QByteArray cboHeardAbout;
};

class ConversationWindow {
  public:
    virtual ~ConversationWindow() = default;

    virtual WizardEntries EntryTexts() const = 0;

    // Prepares the card window from the kept card entries and the
    // subscriber's details, clears gCardAccepted and shows the card window
    // modally. Afterwards gCardAccepted says whether OK accepted the card.
    virtual void ShowCardWindow() = 0;
    // Hands the host's plan number range to the card window.
    virtual void SetCardPlanBounds(std::int16_t lo, std::int16_t hi) = 0;

    // Whether the telephony control has a call up.
    virtual bool CallInProgress() const = 0;
    // The hang-up step: status text, pending events, the hang-up request
    // kept in mHangupRequest.
    virtual void HangUp() = 0;

    // Locks (false) or releases (true) the wizard's buttons and entries.
    virtual void EnableWizard(Flag flag) = 0;
    // Shows the page that holds the control, gives the control the focus
    // and selects its whole text.
    virtual void ShowEntryControl(EntryControl control) = 0;
    virtual void ShowContinue(bool visible) = 0;
};
