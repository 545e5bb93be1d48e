#pragma once

#include <QDate>

// Today's date: the system clock's, unless a test has set the day.
QDate Today();
// Makes Today() give the date; an invalid date goes back to the system clock.
void SetToday(const QDate &date);
