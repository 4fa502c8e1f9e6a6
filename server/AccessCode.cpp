// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/AccessCode.h"

#include <sodium.h>

#include <array>
#include <stdexcept>

namespace lexfall::server {

namespace {

void StartSodium() {
    static const int ready = sodium_init();
    if (ready < 0)
        throw std::runtime_error("libsodium could not start");
}

// 32 letters without look-alikes: no i, l, o or 1.
constexpr std::string_view kCodeAlphabet = "abcdefghjkmnpqrstuvwxyz023456789";

} // namespace

std::string NewAccessCode() {
    StartSodium();
    static_assert(kCodeAlphabet.size() == 32);
    std::array<unsigned char, 15> bytes{};
    randombytes_buf(bytes.data(), bytes.size());
    // Five bits a letter: 15 bytes make 24 letters.
    std::string code;
    unsigned buffer = 0;
    int bits = 0;
    for (unsigned char byte : bytes) {
        buffer = (buffer << 8) | byte;
        bits += 8;
        while (bits >= 5) {
            bits -= 5;
            code += kCodeAlphabet[(buffer >> bits) & 31u];
        }
    }
    return code;
}

std::string NewHashKey() {
    StartSodium();
    std::array<unsigned char, crypto_generichash_KEYBYTES> key{};
    randombytes_buf(key.data(), key.size());
    std::string hex(key.size() * 2 + 1, '\0');
    sodium_bin2hex(hex.data(), hex.size(), key.data(), key.size());
    hex.pop_back();
    return hex;
}

std::string HashAccessCode(std::string_view hexKey, std::string_view code) {
    StartSodium();
    std::array<unsigned char, crypto_generichash_KEYBYTES> key{};
    std::size_t keyLength = 0;
    if (sodium_hex2bin(key.data(), key.size(), hexKey.data(), hexKey.size(), nullptr, &keyLength,
                       nullptr) != 0 ||
        keyLength != key.size())
        throw std::runtime_error("the stored hash key is damaged");
    std::string hash(crypto_generichash_BYTES, '\0');
    crypto_generichash(reinterpret_cast<unsigned char*>(hash.data()), hash.size(),
                       reinterpret_cast<const unsigned char*>(code.data()), code.size(), key.data(),
                       key.size());
    return hash;
}

bool SameHash(std::string_view a, std::string_view b) {
    return a.size() == b.size() && sodium_memcmp(a.data(), b.data(), a.size()) == 0;
}

} // namespace lexfall::server
