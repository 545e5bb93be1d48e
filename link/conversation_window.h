#pragma once

#include "card_details.h"
#include "entry_control.h"
#include "flags.h"
#include "wizard_entries.h"

#include <cstdint>
#include <optional>

// What the registration conversation needs from the wizard window. The
// window implements it; the conversation never reaches its controls.
class ConversationWindow {
  public:
    virtual ~ConversationWindow() = default;

    // The entries as the controls hold them at the moment of the request.
    virtual WizardEntries Entries() const = 0;
    // Whether the survey was finished (mbolDoneSurvey).
    virtual bool SurveyDone() const = 0;

    // Shows the card window modally with the offered details in its boxes
    // and the host's plan list. Gives the details that OK accepted, nothing
    // when the user cancelled or closed the window.
    virtual std::optional<CardDetails> ShowCardWindow(const CardDetails &offer,
                                                      const QByteArray &planDetails) = 0;
    // Closes the card window if it is open, as Cancel does: the call it was
    // opened for is gone.
    virtual void CloseCardWindow() = 0;
    // Hands the host's plan number range to the card window.
    virtual void SetCardPlanBounds(std::int16_t lo, std::int16_t hi) = 0;

    // Locks (false) or releases (true) the wizard's buttons and entries.
    virtual void EnableWizard(Flag flag) = 0;
    // Shows the page that holds the control, gives the control the focus
    // and selects its whole text.
    virtual void ShowEntryControl(EntryControl control) = 0;
    virtual void ShowContinue(bool visible) = 0;
};
