#pragma once

#include <cstdint>

// Flags are 16-bit numbers shared with the rest of the service's software:
// true is -1, false is 0.
using Flag = std::int16_t;
inline constexpr Flag kTrue = -1;
inline constexpr Flag kFalse = 0;

inline constexpr Flag ToFlag(bool value) {
    return value ? kTrue : kFalse;
}
