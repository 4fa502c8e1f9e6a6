// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared by the fuzz targets: a property check that stops the run with the reason, a scratch
// folder for targets that read real files. The doubles come from the test kit.
#include "support/Doubles.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

namespace lexfall::fuzz {

// A failed property is a crash for libFuzzer, so the input is kept as an artifact.
[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "\nproperty failed: %s (%s:%d)\n", what, file, line);
    std::abort();
}

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::lexfall::fuzz::Fail(#condition, __FILE__, __LINE__);                                 \
    } while (false)

// One folder for the whole run: LEXFALL_FUZZ_SCRATCH when set (scripts/fuzz.sh puts it in
// memory and removes it), else a folder of this process under /tmp. The targets write a file
// per input.
inline const std::filesystem::path& ScratchDir() {
    static const std::filesystem::path dir = [] {
        const char* given = std::getenv("LEXFALL_FUZZ_SCRATCH");
        std::filesystem::path made = given
                                         ? std::filesystem::path(given) / std::to_string(::getpid())
                                         : std::filesystem::temp_directory_path() /
                                               ("lexfall-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(made);
        return made;
    }();
    return dir;
}

inline void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    FUZZ_CHECK(out.good());
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace lexfall::fuzz
