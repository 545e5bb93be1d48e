#include "number_codec.h"

namespace {

constexpr std::int32_t kLargestTwoByteNumber = 0xFFFF;

std::int32_t HexDigitValue(char digit) {
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    if (digit >= 'a' && digit <= 'f')
        return digit - 'a' + 10;
    return 0;
}

std::uint32_t ByteAt(const QByteArray &text, qsizetype index) {
    return index < text.size() ? static_cast<unsigned char>(text[index]) : 0U;
}

} // namespace

// The number is written in hexadecimal, one to four digits; the last two
// digits give the low byte and those before them the high byte.
QByteArray IntToBytes(std::int32_t number) {
    if (number < 0 || number > kLargestTwoByteNumber)
        return QByteArray(2, '\0');
    const QByteArray hex = QByteArray::number(number, 16);
    const qsizetype highDigits = hex.size() > 2 ? hex.size() - 2 : 0;
    QByteArray bytes;
    bytes.reserve(2);
    bytes.append(static_cast<char>(HexPairToInt(hex.mid(highDigits))));
    bytes.append(static_cast<char>(HexPairToInt(hex.left(highDigits))));
    return bytes;
}

QByteArray IntToByte(std::uint8_t number) {
    return QByteArray(1, static_cast<char>(number));
}

QByteArray LongToBytes(std::int32_t number) {
    const auto bits = static_cast<std::uint32_t>(number);
    QByteArray bytes(4, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((bits >> (8U * static_cast<unsigned>(i))) & 0xFFU);
    return bytes;
}

std::optional<std::int16_t> BytesToInt(const QByteArray &text) {
    const std::uint32_t value = ByteAt(text, 0) | (ByteAt(text, 1) << 8U);
    if (value > 0x7FFFU)
        return std::nullopt;
    return static_cast<std::int16_t>(value);
}

std::int16_t ByteToInt(const QByteArray &text) {
    return static_cast<std::int16_t>(ByteAt(text, 0));
}

std::optional<std::int32_t> BytesToLong(const QByteArray &text) {
    if (ByteAt(text, 3) >= 0x80U)
        return std::nullopt;
    const std::uint32_t value = ByteAt(text, 0) | (ByteAt(text, 1) << 8U) |
                                (ByteAt(text, 2) << 16U) | (ByteAt(text, 3) << 24U);
    return static_cast<std::int32_t>(value);
}

std::int32_t HexPairToInt(const QByteArray &text) {
    std::int32_t value = 0;
    for (qsizetype i = 0; i < text.size() && i < 2; ++i)
        value = value * 16 + HexDigitValue(text[i]);
    return value;
}
