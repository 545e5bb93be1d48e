#pragma once

#include <QByteArray>

// Settings listing several entries name the first one's keys plainly
// ("Device") and the others' with their number ("Device2", "Device3", ...).
inline QByteArray NumberedKey(const char *key, int number) {
    return number == 1 ? QByteArray(key) : key + QByteArray::number(number);
}
