#pragma once

#include "wizard_entries.h"

#include <QByteArray>

// The card and plan details that the card window takes, as its boxes hold
// them (untrimmed). Copies share their texts; the last copy to go wipes
// them, and Wipe() overwrites them in every copy at once.
struct CardDetails {
    QByteArray txtCreditCardNumber;
    QByteArray txtExpiryDate;
    QByteArray txtNameOnCard;
    QByteArray txtCardholderAddress;
    QByteArray txtPlanNbr;

    CardDetails() = default;
    CardDetails(QByteArray number, QByteArray expiryDate, QByteArray nameOnCard,
                QByteArray cardholderAddress, QByteArray planNbr);
    CardDetails(const CardDetails &) = default;
    CardDetails(CardDetails &&) noexcept = default;
    // The details replaced go as a copy does.
    CardDetails &operator=(CardDetails other) noexcept;
    ~CardDetails();

    // Overwrites the details where they lie, in every copy that shares
    // them, and empties these.
    void Wipe();
    // A copy of its own, sharing nothing with any other.
    CardDetails Detached() const;

    bool operator==(const CardDetails &) const = default;
};

// What the card window opens with: the kept details for correction, the
// subscriber's name in capitals as the name on the card, and the postal
// address when no cardholder address is kept.
CardDetails CardOffer(const CardDetails &kept, const WizardEntries &entries);
