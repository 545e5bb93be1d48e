#pragma once

#include <QByteArray>
#include <cstdint>

class QWidget;

// The routines every entry box shares. Key codes are character codes of the
// code page (Enter 13, Backspace 8, space 32); a filter returns the code to
// type instead, 0 to drop the key.

inline constexpr std::int16_t kKeyBackspace = 8;
inline constexpr std::int16_t kKeyLineFeed = 10;
inline constexpr std::int16_t kKeyEnter = 13;

// a to z become A to Z; every other code passes.
std::int16_t KeyUpperCase(std::int16_t KeyAscii);
// Drops 32 to 47 and 58 to 126: the digits, control keys and codes above 126
// pass.
std::int16_t KeyDigitsOnly(std::int16_t KeyAscii);
// As KeyDigitsOnly, but the space passes too.
std::int16_t KeyDigitsAndSpace(std::int16_t KeyAscii);
// Only A to Z, a to z, 0 to 9 and the space pass, and Backspace so that a
// typing slip can be undone.
std::int16_t KeyAlphaNumeric(std::int16_t KeyAscii);

// Selects the whole text of an entry box so that typing replaces it.
// Controls without a text selection (lists, buttons) are left as they are.
void SelectAllText(QWidget *control);

// The first character and every character after a space in upper case, the
// rest as it is, then blanks removed from both ends: "  mary ann  " gives
// "Mary Ann", "mcDONALD" gives "McDONALD".
QByteArray ProperCase(const QByteArray &value);
