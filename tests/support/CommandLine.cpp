// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/CommandLine.h"

#include <algorithm>
#include <cstring>

namespace lexfall::testing {

void CommandLine::PrintUsage(std::FILE* out) const {
    std::fprintf(out, "usage: %s [options]\n%s", program, summary);
    int width = static_cast<int>(std::strlen("--help"));
    for (const CommandOption& option : options)
        width = std::max(
            width, static_cast<int>(std::strlen(option.name) + 1 + std::strlen(option.value)));
    for (const CommandOption& option : options) {
        const std::string head = std::string(option.name) + " " + option.value;
        std::fprintf(out, "  %-*s  %s\n", width, head.c_str(), option.help);
    }
    std::fprintf(out, "  %-*s  %s\n", width, "--help", "show this text");
}

std::optional<int> CommandLine::Parse(int argc, char** argv) const {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            PrintUsage(stdout);
            return 0;
        }
        const auto match =
            std::find_if(options.begin(), options.end(), [&](const CommandOption& option) {
                return std::strcmp(argv[i], option.name) == 0;
            });
        if (match == options.end() || i + 1 >= argc) {
            std::fprintf(stderr, "%s: %s '%s'\n", program,
                         match == options.end() ? "unknown option" : "missing value for", argv[i]);
            PrintUsage(stderr);
            return 2;
        }
        match->set(argv[++i]);
    }
    return std::nullopt;
}

} // namespace lexfall::testing
