// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it, and the
// whole-file read the tests compare bytes with.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace lexfall::testing {

// Every byte of a file; empty when it cannot be read.
inline std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "lexfall-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot make a scratch directory");
        path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        // A test may have taken its own rights away; give them back so it can be removed.
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The folder with a trailing separator, like AppDir.
    std::string Dir() const { return path_.string() + "/"; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

    // Replaces the file's content.
    void Put(const std::string& name, const std::string& bytes) const {
        std::ofstream(path_ / name, std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string Get(const std::string& name) const { return ReadAll(path_ / name); }

private:
    std::filesystem::path path_;
};

} // namespace lexfall::testing
