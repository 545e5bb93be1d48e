#pragma once

#include "card_details.h"

#include <QByteArray>
#include <QDate>
#include <cstdint>
#include <optional>

// The checks of the card window's OK. They see the entries as plain texts,
// so they run without the window.

// The boxes a failed check sends the user back to.
enum class CardControl { txtCreditCardNumber, txtExpiryDate, txtNameOnCard, txtPlanNbr };

struct CardCheckFailure {
    QByteArray message;
    CardControl control;
};

// Every card number has this many digits.
inline constexpr int kCardNumberLength = 16;

// The first check that fails, or nothing when the card can be accepted:
// the number, the expiry on the given day, the name on the card and a plan
// number from planLo to planHi (both inclusive). The cardholder address may
// be empty.
std::optional<CardCheckFailure> CheckCardDetails(const CardDetails &card, std::int16_t planLo,
                                                 std::int16_t planHi, const QDate &today);
