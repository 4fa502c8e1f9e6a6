// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One key at a time from a profile file, as the tests check it; the game reads its keys together.
#include "settings/ProfileFile.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace lexfall::testing {

inline std::int32_t ReadInteger(const ProfileFile& file, std::string_view section,
                                std::string_view key, std::int32_t def) {
    return profile::IntegerOr(file.ReadStrings({{section, key}}).front(), def);
}

inline bool ReadBool(const ProfileFile& file, std::string_view section, std::string_view key,
                     bool def) {
    return profile::BoolOr(file.ReadStrings({{section, key}}).front(), def);
}

} // namespace lexfall::testing
