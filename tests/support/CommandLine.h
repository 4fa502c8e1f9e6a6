// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The option table of the test programs: every option takes one value, --help prints the
// usage, and anything unknown is refused, so a mistyped option never starts a long run.
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lexfall::testing {

struct CommandOption {
    const char* name;
    const char* value;
    const char* help;
    std::function<void(const char*)> set;
};

struct CommandLine {
    const char* program;
    const char* summary; // one or more lines, each ending in "\n"
    std::vector<CommandOption> options;

    void PrintUsage(std::FILE* out) const;
    // Sets every option given. An exit code when the program should stop at once: 0 after
    // --help, 2 after an unknown option or a missing value, with the usage on stderr.
    std::optional<int> Parse(int argc, char** argv) const;
};

} // namespace lexfall::testing
