#include "pktguard.h"

#include <array>

namespace {

// CRC-16/ARC: polynomial 0x8005 reflected, zero start value, no final XOR.
constexpr std::uint16_t kReflectedPolynomial = 0xA001;

constexpr std::array<std::uint16_t, 256> MakeTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned byte = 0; byte < table.size(); ++byte) {
        std::uint16_t crc = byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1U) != 0 ? (crc >> 1U) ^ kReflectedPolynomial : crc >> 1U;
        table[byte] = crc;
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> kTable = MakeTable();

} // namespace

std::int32_t CalcCRC(const char *data, std::int32_t length) {
    if (data == nullptr || length <= 0)
        return 0;
    std::uint16_t crc = 0;
    for (std::int32_t i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        crc = (crc >> 8U) ^ kTable[(crc ^ byte) & 0xFFU];
    }
    return crc;
}
