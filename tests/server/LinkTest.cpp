// SPDX-License-Identifier: GPL-3.0-or-later
// The records server runs on machines with no desktop: the program as built must need neither
// Qt nor SDL, whatever the libraries it links pull in.
#include "support/RecordsServerProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace lexfall::testing {
namespace {

TEST(ServerLinks, NeitherQtNorSdl) {
    std::string libraries;
    FILE* pipe = popen(("ldd '" + RecordsServerProgram() + "' 2>&1").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char chunk[4096];
    for (std::size_t got; (got = fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        libraries.append(chunk, got);
    ASSERT_EQ(pclose(pipe), 0) << libraries;
    std::transform(libraries.begin(), libraries.end(), libraries.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    // The list is real: the server's own libraries are in it.
    EXPECT_NE(libraries.find("libsqlite3"), std::string::npos) << libraries;
    EXPECT_NE(libraries.find("libpq"), std::string::npos) << libraries;
    EXPECT_EQ(libraries.find("libqt"), std::string::npos) << libraries;
    EXPECT_EQ(libraries.find("libsdl"), std::string::npos) << libraries;
}

} // namespace
} // namespace lexfall::testing
