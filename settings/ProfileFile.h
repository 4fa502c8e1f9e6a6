// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lexfall {

// The rules of the private-profile (INI) text, applied to a file's contents in memory.
// Sections and keys match without regard to ASCII case; lines the rules do not touch keep
// their bytes and their own line endings.
namespace profile {

// A read returns at most this many characters of a value.
constexpr std::size_t MaxValueLength = 2047;

// Line ending of a new file, and of added lines when the file has none yet.
constexpr std::string_view NewFileLineEnd = "\r\n";

// The value of key in the first section named section, as a read returns it: blanks around
// it and one pair of enclosing quotes dropped, cut to MaxValueLength. Nothing when the
// section or the key is missing; a present empty value gives the empty text.
std::optional<std::string> FindValue(std::string_view content, std::string_view section,
                                     std::string_view key);

// A key to read.
struct KeyName {
    std::string_view section;
    std::string_view key;
};

// The values of all the keys from one pass over the contents, each as FindValue gives it.
std::vector<std::optional<std::string>> FindValues(std::string_view content,
                                                   const std::vector<KeyName>& keys);

// The contents with key set to value: replaced where it stands, else added after the last
// non-blank line of its section, else in a new section at the end. The value is cut at its
// first line break or NUL (so it cannot add lines of its own), and put in quotes when a read
// would otherwise drop its outer blanks or quotes. Throws std::invalid_argument for a section
// or key name that cannot be written as one.
std::string SetValue(std::string_view content, std::string_view section, std::string_view key,
                     std::string_view value);

// One key to set.
struct Entry {
    std::string_view section;
    std::string_view key;
    std::string value;
};

// The contents with every entry set in turn, as SetValue would, in one pass over them.
std::string SetValues(std::string_view content, const std::vector<Entry>& entries);
// As SetValues, but nothing when the entries leave every byte as it was.
std::optional<std::string> ChangedContents(std::string_view content,
                                           const std::vector<Entry>& entries);

// An integer value as the profile reader takes it: signed decimal within 32 bits, or, when
// longer than two characters and beginning "0x" or "0X", up to 32 bits of hexadecimal.
// Nothing for anything else.
std::optional<std::int32_t> ParseInteger(std::string_view text);

// A value read as an integer or a boolean (any integer other than 0 is true): def when it is
// missing or not an integer.
std::int32_t IntegerOr(const std::optional<std::string>& value, std::int32_t def);
bool BoolOr(const std::optional<std::string>& value, bool def);

} // namespace profile

// One INI file on disk. Each read opens the file afresh and creates nothing; each write reads
// the file, changes its keys and replaces the file with the new text before returning (see
// ReplaceFileContents), creating it when it is missing. A write that would leave every byte of
// an existing file as it is only opens it for writing and sets its time, refusing as the
// replacement would when the file or its folder is not writable.
class ProfileFile {
public:
    explicit ProfileFile(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const { return path_; }

    // Several keys from one read of the file; nothing for each that is missing, and for all
    // when the file is missing, unreadable or not a regular file (never waited for).
    std::vector<std::optional<std::string>>
    ReadStrings(const std::vector<profile::KeyName>& keys) const;
    // A missing or unreadable file, section or key gives def.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;

    // All the keys in one replacement of the file: all of them are written, or none. A refused
    // write throws Error("Unable to write to " + path) and leaves the file as it was; a pipe,
    // socket or device in the file's place adds ". It is not a regular file.". A new file is
    // made 0600 (see ReplaceFileContents).
    void WriteStrings(const std::vector<profile::Entry>& entries) const;

private:
    std::string path_;
};

} // namespace lexfall
