#pragma once

#include "conversation_window.h"
#include "program_state.h"

class frmCreditCard;

// Asks the user for the card when the host requests it: the card window
// opens modally with the kept card entries for correction, the subscriber's
// name in capitals as the name on the card, the postal address when no
// cardholder address is kept, and the host's plan list. Afterwards
// gCardAccepted says whether OK accepted the card (and refreshed held).
void AskForCardDetails(frmCreditCard &card, const WizardLinkState &held,
                       const WizardEntries &entries);
