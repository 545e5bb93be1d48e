#include "pktguard.h"

#include <array>
#include <cstring>
#include <sodium.h>
#include <string>

// Sealing: ChaCha20 (RFC 8439, 12-byte nonce, block counter from 0) keyed
// with SHA-256 of key 1 followed by key 2. A sealed packet is the nonce
// followed by the enciphered bytes.

namespace {

using Key = std::array<unsigned char, crypto_stream_chacha20_ietf_KEYBYTES>;

bool SodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// The wizard passes the same two key texts on every call, so the derived
// key of the last pair is kept rather than hashed again.
const Key &DerivedKey(const char *key1, const char *key2) {
    struct Cache {
        std::string key1;
        std::string key2;
        Key key{};
        bool valid = false;
    };
    thread_local Cache cache;
    if (!cache.valid || cache.key1 != key1 || cache.key2 != key2) {
        static_assert(crypto_hash_sha256_BYTES == crypto_stream_chacha20_ietf_KEYBYTES);
        crypto_hash_sha256_state state;
        crypto_hash_sha256_init(&state);
        crypto_hash_sha256_update(&state, reinterpret_cast<const unsigned char *>(key1),
                                  std::strlen(key1));
        crypto_hash_sha256_update(&state, reinterpret_cast<const unsigned char *>(key2),
                                  std::strlen(key2));
        crypto_hash_sha256_final(&state, cache.key.data());
        cache.key1 = key1;
        cache.key2 = key2;
        cache.valid = true;
    }
    return cache.key;
}

bool ArgumentsUsable(const char *data, char *out, const char *key1, const char *key2) {
    return data != nullptr && out != nullptr && key1 != nullptr && key2 != nullptr && SodiumReady();
}

} // namespace

std::int32_t GetEncryptData(const char *data, std::int32_t length, char *out, const char *key1,
                            const char *key2) {
    if (length < 0 || length > kPktGuardBufferSize - kPktGuardNonceSize ||
        !ArgumentsUsable(data, out, key1, key2))
        return 0;
    auto *nonce = reinterpret_cast<unsigned char *>(out);
    randombytes_buf(nonce, kPktGuardNonceSize);
    crypto_stream_chacha20_ietf_xor(
        nonce + kPktGuardNonceSize, reinterpret_cast<const unsigned char *>(data),
        static_cast<unsigned long long>(length), nonce, DerivedKey(key1, key2).data());
    return length + kPktGuardNonceSize;
}

std::int32_t GetDecryptData(const char *data, std::int32_t length, char *out, const char *key1,
                            const char *key2) {
    if (length < kPktGuardNonceSize || length > kPktGuardBufferSize ||
        !ArgumentsUsable(data, out, key1, key2))
        return 0;
    const auto *nonce = reinterpret_cast<const unsigned char *>(data);
    const std::int32_t plainLength = length - kPktGuardNonceSize;
    crypto_stream_chacha20_ietf_xor(
        reinterpret_cast<unsigned char *>(out), nonce + kPktGuardNonceSize,
        static_cast<unsigned long long>(plainLength), nonce, DerivedKey(key1, key2).data());
    return plainLength;
}
