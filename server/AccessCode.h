// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Access codes: made at random, stored only as a hash keyed with the server's own key,
// compared in constant time.
#include <string>
#include <string_view>

namespace lexfall::server {

// 24 characters from a 32-letter alphabet without look-alikes: 120 random bits that survive
// an unencoded URL and an INI line.
std::string NewAccessCode();

// A fresh random key for the code hashes, as hex text.
std::string NewHashKey();

// The keyed hash of code under the hex key, as 32 raw bytes.
std::string HashAccessCode(std::string_view hexKey, std::string_view code);

bool SameHash(std::string_view a, std::string_view b);

} // namespace lexfall::server
