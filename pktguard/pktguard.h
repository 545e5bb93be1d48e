#pragma once

#include <cstdint>

// The packet-security library's calls, as the wizard loads them by name.
// Byte strings come with an explicit length; keys are zero-terminated.
// `out` is always a buffer of kPktGuardBufferSize bytes and is never
// written beyond.

inline constexpr std::int32_t kPktGuardBufferSize = 2048;
inline constexpr std::int32_t kPktGuardNonceSize = 12;

extern "C" {

// CRC-16/ARC of the bytes, 0 to 65535.
__attribute__((visibility("default"))) std::int32_t CalcCRC(const char *data, std::int32_t length);

// Writes a fresh nonce followed by the data enciphered; returns length + 12,
// or 0 (writing nothing) when the sealed form would not fit `out`.
__attribute__((visibility("default"))) std::int32_t GetEncryptData(const char *data,
                                                                   std::int32_t length, char *out,
                                                                   const char *key1,
                                                                   const char *key2);

// Undoes GetEncryptData; returns length - 12, or 0 for a length below 12 or
// above the buffer size.
__attribute__((visibility("default"))) std::int32_t GetDecryptData(const char *data,
                                                                   std::int32_t length, char *out,
                                                                   const char *key1,
                                                                   const char *key2);
}
