#include "clock.h"

namespace {

QDate gSetDay;

} // namespace

QDate Today() {
    return gSetDay.isValid() ? gSetDay : QDate::currentDate();
}

void SetToday(const QDate &date) {
    gSetDay = date;
}
