#pragma once

#include "wizard_entries.h"

#include <QByteArray>

// The card and plan details that the card window takes, as its boxes hold
// them (untrimmed).
struct CardDetails {
    QByteArray txtCreditCardNumber;
    QByteArray txtExpiryDate;
    QByteArray txtNameOnCard;
    QByteArray txtCardholderAddress;
    QByteArray txtPlanNbr;

    bool operator==(const CardDetails &) const = default;
};

// What the card window opens with: the kept details for correction, the
// subscriber's name in capitals as the name on the card, and the postal
// address when no cardholder address is kept.
CardDetails CardOffer(const CardDetails &kept, const WizardEntries &entries);
