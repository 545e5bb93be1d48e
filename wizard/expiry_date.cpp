#include "expiry_date.h"

#include "text.h"

#include <algorithm>

namespace {

constexpr qsizetype kExpiryLength = 4;
constexpr int kYearsBefore = 49;
constexpr int kYearsAfter = 50;
constexpr int kLongestValidityMonths = 20 * 12;

int FullYear(int yy, int currentYear) {
    const int year = currentYear - currentYear % 100 + yy;
    if (year < currentYear - kYearsBefore)
        return year + 100;
    if (year > currentYear + kYearsAfter)
        return year - 100;
    return year;
}

} // namespace

bool IsValidExpiryDate(const QByteArray &text, const QDate &today) {
    if (text.size() != kExpiryLength || !AllDigits(text))
        return false;
    const int month = text.left(2).toInt();
    if (month < 1 || month > 12)
        return false;
    const int year = FullYear(text.mid(2).toInt(), today.year());
    const int monthsAhead = (year - today.year()) * 12 + (month - today.month());
    return monthsAhead >= 0 && monthsAhead <= kLongestValidityMonths;
}
