#pragma once

#include <QByteArray>

// Error number of a call whose argument is out of its range.
inline constexpr int kErrInvalidCall = 5;
// Error number of a value that does not fit where it has to go.
inline constexpr int kErrOverflow = 6;

// Reports an unexpected failure inside a routine of the registration link:
// "An unexpected error occurred in <routine>." with the error number and
// description on the lines below, exclamation icon, OK.
void ReportLinkError(const QByteArray &routine, int errNumber, const QByteArray &description);
