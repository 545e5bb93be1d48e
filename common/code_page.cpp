#include "code_page.h"

#include <array>

namespace {

// Bytes 0x80 to 0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr unsigned kFirstHigh = 0x80;
constexpr unsigned kAfterHigh = 0xA0;
constexpr unsigned kByteLimit = 0x100;

} // namespace

QString FromCodePage(const QByteArray &bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        *out++ = code >= kFirstHigh && code < kAfterHigh ? QChar(kHighControls[code - kFirstHigh])
                                                         : QChar(char16_t(code));
    }
    return text;
}

std::optional<unsigned char> CodePageByte(QChar character) {
    const char16_t code = character.unicode();
    if (code < kFirstHigh || (code >= kAfterHigh && code < kByteLimit))
        return static_cast<unsigned char>(code);
    for (unsigned i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == code)
            return static_cast<unsigned char>(kFirstHigh + i);
    }
    return std::nullopt;
}

QByteArray ToCodePage(const QString &text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar character : text) {
        if (const std::optional<unsigned char> byte = CodePageByte(character))
            bytes.append(static_cast<char>(*byte));
    }
    return bytes;
}
