#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>

// The little-endian number encodings of packet strings and field records.
// Every text is a byte string, one character per byte.

// Two characters, low byte first, for a number from 0 to 65535; any other
// number gives two zero bytes.
QByteArray IntToBytes(std::int32_t number);

// The one character with the given code.
QByteArray IntToByte(std::uint8_t number);

// The four bytes of the number, low byte first.
QByteArray LongToBytes(std::int32_t number);

// low + 256 * high of the first two characters (a missing character counts
// as 0). Two-byte numbers are read as signed 16-bit values, so one above
// 32767 does not decode: the result is then empty.
std::optional<std::int16_t> BytesToInt(const QByteArray &text);

// The code of the first character; 0 for an empty text.
std::int16_t ByteToInt(const QByteArray &text);

// b0 + 256 * b1 + 65536 * b2 + 16777216 * b3 of the first four characters
// (missing characters count as 0). Read as a signed 32-bit value, so a top
// byte of 128 or more does not decode: the result is then empty.
std::optional<std::int32_t> BytesToLong(const QByteArray &text);

// The value of one or two hexadecimal digits (either case; one digit is the
// low digit). A character that is not a hexadecimal digit counts as 0; only
// the first two characters are read.
std::int32_t HexPairToInt(const QByteArray &text);
