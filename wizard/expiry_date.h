#pragma once

#include <QByteArray>
#include <QDate>

// Whether a card expiry typed as MMYY ("0898" is August 1998) is acceptable
// on the given day: four digits, a month from 01 to 12, and a month that is
// neither past nor more than 20 years ahead. YY is the year ending in YY
// that lies from 49 years before today's year to 50 years after it.
bool IsValidExpiryDate(const QByteArray &text, const QDate &today);
