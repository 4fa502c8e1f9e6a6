// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ProfileFile.h"

#include "platform/PlayerFile.h"
#include "settings/FileReplace.h"
#include "text/Error.h"
#include "text/SystemText.h"
#include "text/Text.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lexfall {
namespace profile {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

using text::TrimBlanks;
using text::TrimLeadingBlanks;

using text::EqualNoCase;

// One line of the contents, pointing into them.
struct Line {
    std::size_t start = 0; // offset of the text in the contents
    std::string_view text;
    std::string_view end; // "\r\n", "\n", "\r", or empty on a last line without a break

    std::size_t Next() const { return start + text.size() + end.size(); }
};

// Walks the lines of the contents once, without copying them. A line ends at a line feed, a
// carriage return and line feed, or a lone carriage return.
class LineReader {
public:
    explicit LineReader(std::string_view content) : content_(content) {}

    bool Next(Line& line) {
        if (pos_ >= content_.size())
            return false;
        const char* base = content_.data() + pos_;
        const std::size_t rest = content_.size() - pos_;
        // Two byte searches beat one search for either byte on long files.
        const auto* feed = static_cast<const char*>(std::memchr(base, '\n', rest));
        const std::size_t lf = feed != nullptr ? static_cast<std::size_t>(feed - base) : rest;
        const auto* cr = static_cast<const char*>(std::memchr(base, '\r', lf));
        std::size_t brk = cr != nullptr ? static_cast<std::size_t>(cr - base) : lf;
        std::size_t endLength = 0;
        if (brk < rest) {
            const bool crlf = base[brk] == '\r' && brk + 1 < rest && base[brk + 1] == '\n';
            endLength = crlf ? 2 : 1;
        }
        line.start = pos_;
        line.text = std::string_view(base, brk);
        line.end = std::string_view(base + brk, endLength);
        first_ = pos_ == 0;
        pos_ += brk + endLength;
        return true;
    }

    // Whether the line last read is the first of the contents.
    bool First() const { return first_; }

    // Moves on to the next line that holds c, skipping the lines before it unread.
    void SkipToLineWith(char c) {
        // An empty view may have no storage at all, and memchr must not see a null pointer.
        if (pos_ >= content_.size()) {
            pos_ = content_.size();
            return;
        }
        const char* base = content_.data();
        const auto* found =
            static_cast<const char*>(std::memchr(base + pos_, c, content_.size() - pos_));
        if (found == nullptr) {
            pos_ = content_.size();
            return;
        }
        std::size_t start = static_cast<std::size_t>(found - base);
        while (start > pos_ && base[start - 1] != '\n' && base[start - 1] != '\r')
            --start;
        pos_ = start;
    }

private:
    std::string_view content_;
    std::size_t pos_ = 0;
    bool first_ = false;
};

// The first line without the UTF-8 byte-order mark an editor may have put before it; the mark
// stays in the file.
std::string_view WithoutBom(std::string_view line) {
    constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
    return line.substr(0, kUtf8Bom.size()) == kUtf8Bom ? line.substr(kUtf8Bom.size()) : line;
}

// The name of a section header "[name]"; nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
    const std::string_view rest = TrimLeadingBlanks(line);
    if (rest.empty() || rest.front() != '[')
        return std::nullopt;
    const auto close = rest.find(']', 1);
    return TrimBlanks(rest.substr(1, close == std::string_view::npos ? close : close - 1));
}

std::optional<std::string_view> HeaderOf(const LineReader& reader, const Line& line) {
    return SectionName(reader.First() ? WithoutBom(line.text) : line.text);
}

struct KeyLine {
    std::string_view name;
    std::size_t valueStart; // just after the "="
};

// A "name=value" line; comments (";") and headers are not keys.
std::optional<KeyLine> ParseKeyLine(std::string_view line) {
    const std::string_view rest = TrimLeadingBlanks(line);
    if (rest.empty() || rest.front() == ';' || rest.front() == '[')
        return std::nullopt;
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return KeyLine{TrimBlanks(line.substr(0, equals)), equals + 1};
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

bool Enclosed(std::string_view text) {
    return text.size() >= 2 && IsQuote(text.front()) && text.back() == text.front();
}

std::string_view Unquote(std::string_view text) {
    return Enclosed(text) ? text.substr(1, text.size() - 2) : text;
}

// The text as written: one line at most, quoted when a read would change it otherwise.
std::string EncodeValue(std::string_view value) {
    value = value.substr(0, value.find_first_of(std::string_view("\r\n\0", 3)));
    if (Unquote(TrimBlanks(value)) == value)
        return std::string(value);
    return "\"" + std::string(value) + "\"";
}

bool ValidName(std::string_view name, std::string_view forbidden) {
    return !name.empty() && TrimBlanks(name) == name &&
           name.find_first_of(forbidden) == std::string_view::npos;
}

// Where a section stands in a read: only the first section of a name counts.
enum class Seen { Before, Inside, After };

// Moves a section's state on at a header line.
void PassHeader(Seen& seen, std::string_view section, std::string_view header) {
    if (seen == Seen::Inside)
        seen = Seen::After;
    else if (seen == Seen::Before && EqualNoCase(header, section))
        seen = Seen::Inside;
}

} // namespace

std::vector<std::optional<std::string>> FindValues(std::string_view content,
                                                   const std::vector<KeyName>& keys) {
    std::vector<std::optional<std::string>> values(keys.size());
    std::vector<Seen> seen(keys.size(), Seen::Before);
    std::size_t open = keys.size(); // keys neither found nor past their section
    LineReader reader(content);
    Line line;
    for (;;) {
        // Outside the sections read, only a header matters, and a header holds a "[": a large
        // file's other sections are passed over at the speed of a byte search.
        if (std::none_of(seen.begin(), seen.end(), [](Seen s) { return s == Seen::Inside; }))
            reader.SkipToLineWith('[');
        if (open == 0 || !reader.Next(line))
            break;
        if (const auto header = HeaderOf(reader, line)) {
            for (std::size_t i = 0; i < keys.size(); ++i) {
                const Seen was = seen[i];
                PassHeader(seen[i], keys[i].section, *header);
                if (was == Seen::Inside && !values[i])
                    --open;
            }
            continue;
        }
        std::optional<KeyLine> keyLine;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (seen[i] != Seen::Inside || values[i])
                continue;
            if (!keyLine && !(keyLine = ParseKeyLine(line.text)))
                break;
            if (!EqualNoCase(keyLine->name, keys[i].key))
                continue;
            const std::string_view raw = line.text.substr(keyLine->valueStart);
            values[i] = std::string(KeepFirstBytes(Unquote(TrimBlanks(raw)), MaxValueLength));
            --open;
        }
    }
    return values;
}

std::optional<std::string> FindValue(std::string_view content, std::string_view section,
                                     std::string_view key) {
    return std::move(FindValues(content, {{section, key}}).front());
}

namespace {

// The keys of one section to set, as one read of the contents finds them.
struct SectionWrite {
    std::string_view name;
    struct Key {
        std::string_view name;
        std::string encoded;
        std::size_t valueStart = 0; // the value's place when the key is there
        std::size_t valueEnd = 0;
        bool found = false;
    };
    std::vector<Key> keys; // in the order first given
    Seen seen = Seen::Before;
    std::size_t lastEnd = 0;  // just after the section's last non-blank line
    bool lastHasBreak = true; // whether that line ends in a break
};

void CheckNames(const Entry& entry) {
    using namespace std::string_view_literals;
    if (!ValidName(entry.section, "]\r\n\0"sv))
        throw std::invalid_argument("not a profile section name: " + std::string(entry.section));
    if (!ValidName(entry.key, "=\r\n\0"sv) || entry.key.front() == ';' || entry.key.front() == '[')
        throw std::invalid_argument("not a profile key name: " + std::string(entry.key));
}

// The entries by section, a key given twice keeping its first place and its last value.
std::vector<SectionWrite> GroupBySection(const std::vector<Entry>& entries) {
    std::vector<SectionWrite> sections;
    for (const Entry& entry : entries) {
        CheckNames(entry);
        auto section = std::find_if(sections.begin(), sections.end(), [&](const SectionWrite& s) {
            return EqualNoCase(s.name, entry.section);
        });
        if (section == sections.end())
            section = sections.insert(sections.end(), SectionWrite{entry.section, {}});
        auto key = std::find_if(
            section->keys.begin(), section->keys.end(),
            [&](const SectionWrite::Key& k) { return EqualNoCase(k.name, entry.key); });
        if (key == section->keys.end())
            section->keys.push_back({entry.key, EncodeValue(entry.value)});
        else
            key->encoded = EncodeValue(entry.value);
    }
    return sections;
}

// The contents' last line, as LineReader would end with it.
Line LastLine(std::string_view content) {
    Line last;
    if (content.empty())
        return last;
    std::size_t textEnd = content.size();
    if (content.back() == '\n' || content.back() == '\r') {
        --textEnd;
        if (content.back() == '\n' && textEnd > 0 && content[textEnd - 1] == '\r')
            --textEnd;
    }
    const auto brk =
        textEnd == 0 ? std::string_view::npos : content.find_last_of("\r\n", textEnd - 1);
    last.start = brk == std::string_view::npos ? 0 : brk + 1;
    last.text = content.substr(last.start, textEnd - last.start);
    last.end = content.substr(textEnd);
    return last;
}

// The line ending of the contents' first line; empty when no line has one.
std::string_view FirstLineEnd(std::string_view content) {
    const auto brk = content.find_first_of("\r\n");
    if (brk == std::string_view::npos)
        return {};
    const bool crlf = content[brk] == '\r' && brk + 1 < content.size() && content[brk + 1] == '\n';
    return content.substr(brk, crlf ? 2 : 1);
}

} // namespace

std::string SetValue(std::string_view content, std::string_view section, std::string_view key,
                     std::string_view value) {
    return SetValues(content, {{section, key, std::string(value)}});
}

// One read of the contents finds every key's place; the new text is then put together in one
// copy, so a large file costs one pass and the memory of its old and new text.
std::optional<std::string> ChangedContents(std::string_view content,
                                           const std::vector<Entry>& entries) {
    std::vector<SectionWrite> sections = GroupBySection(entries);

    const Line last = LastLine(content);
    std::string_view lineEnd = FirstLineEnd(content);
    Line line;
    LineReader reader(content);
    for (;;) {
        // Outside the sections written, only a header matters (see FindValues).
        if (std::none_of(sections.begin(), sections.end(),
                         [](const SectionWrite& s) { return s.seen == Seen::Inside; }))
            reader.SkipToLineWith('[');
        if (!reader.Next(line))
            break;
        if (const auto header = HeaderOf(reader, line)) {
            for (SectionWrite& section : sections) {
                const Seen was = section.seen;
                PassHeader(section.seen, section.name, *header);
                if (was == Seen::Before && section.seen == Seen::Inside) {
                    section.lastEnd = line.Next();
                    section.lastHasBreak = !line.end.empty();
                }
            }
            continue;
        }
        const bool blank = TrimBlanks(line.text).empty();
        std::optional<KeyLine> keyLine;
        bool parsed = false;
        for (SectionWrite& section : sections) {
            if (section.seen != Seen::Inside)
                continue;
            if (!blank) {
                section.lastEnd = line.Next();
                section.lastHasBreak = !line.end.empty();
            }
            if (!parsed) {
                keyLine = ParseKeyLine(line.text);
                parsed = true;
            }
            if (!keyLine)
                continue;
            for (SectionWrite::Key& key : section.keys) {
                if (key.found || !EqualNoCase(keyLine->name, key.name))
                    continue;
                // Only the value changes; the name as spelt in the file and the blanks around
                // "=" stay.
                std::size_t valueStart = keyLine->valueStart;
                while (valueStart < line.text.size() && IsBlank(line.text[valueStart]))
                    ++valueStart;
                key.found = true;
                key.valueStart = line.start + valueStart;
                key.valueEnd = line.start + line.text.size();
                break;
            }
        }
    }
    if (lineEnd.empty())
        lineEnd = NewFileLineEnd;

    // The changes, as insertions at places of the old text (a replaced value erases its old
    // bytes). At one place, a value comes before added keys, and added keys before new
    // sections, as writing the keys one by one would put them.
    struct Change {
        std::size_t at;
        std::size_t erase;
        int rank;
        std::string text;
    };
    std::vector<Change> changes;
    bool lastNonBlank = !content.empty() && !TrimBlanks(last.text).empty();
    bool lastHasBreak = content.empty() || !last.end.empty();
    for (const SectionWrite& section : sections) {
        if (section.seen == Seen::Before)
            continue;
        std::string added;
        for (const SectionWrite::Key& key : section.keys) {
            const std::size_t length = key.valueEnd - key.valueStart;
            if (!key.found)
                added += std::string(key.name) + "=" + key.encoded + std::string(lineEnd);
            else if (content.substr(key.valueStart, length) != key.encoded)
                changes.push_back({key.valueStart, length, 0, key.encoded});
        }
        if (added.empty())
            continue;
        if (!section.lastHasBreak) {
            // Only the file's last line lacks a break.
            added.insert(0, lineEnd);
            lastHasBreak = true;
        }
        if (section.lastEnd == content.size())
            lastNonBlank = true;
        changes.push_back({section.lastEnd, 0, 1, std::move(added)});
    }
    std::string newSections;
    for (const SectionWrite& section : sections) {
        if (section.seen != Seen::Before)
            continue;
        if (!content.empty() || !newSections.empty()) {
            if (!lastHasBreak)
                newSections += lineEnd;
            if (lastNonBlank)
                newSections += lineEnd;
        }
        newSections += "[" + std::string(section.name) + "]";
        newSections += lineEnd;
        for (const SectionWrite::Key& key : section.keys)
            newSections += std::string(key.name) + "=" + key.encoded + std::string(lineEnd);
        lastNonBlank = true;
        lastHasBreak = true;
    }
    if (!newSections.empty())
        changes.push_back({content.size(), 0, 2, std::move(newSections)});
    if (changes.empty())
        return std::nullopt;
    std::stable_sort(changes.begin(), changes.end(), [](const Change& a, const Change& b) {
        return a.at != b.at ? a.at < b.at : a.rank < b.rank;
    });

    std::size_t size = content.size();
    for (const Change& change : changes)
        size += change.text.size();
    std::string result;
    result.reserve(size);
    std::size_t copied = 0;
    for (const Change& change : changes) {
        result.append(content.substr(copied, change.at - copied));
        result += change.text;
        copied = change.at + change.erase;
    }
    result.append(content.substr(copied));
    return result;
}

std::string SetValues(std::string_view content, const std::vector<Entry>& entries) {
    return ChangedContents(content, entries).value_or(std::string(content));
}

std::optional<std::int32_t> ParseInteger(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        // Hexadecimal fills all 32 bits: 0xFFFFFFFF is -1.
        const std::string_view digits = text.substr(2);
        std::uint32_t value = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
        if (error != std::errc() || end != digits.data() + digits.size())
            return std::nullopt;
        return static_cast<std::int32_t>(value);
    }
    return text::ParseDecimal(text);
}

} // namespace profile

namespace {

// A regular file's bytes, mapped rather than copied: reading a large file then costs no fresh
// memory, which the system must clear page by page.
class FileText {
public:
    // Nothing when the file is missing, not a regular file, or cannot be read.
    static std::optional<FileText> Open(const std::string& path) {
        // Without waiting: a FIFO in the file's place would otherwise hold up the start.
        const int fd = OpenWithoutWaiting(path, O_RDONLY);
        if (fd < 0)
            return std::nullopt;
        std::optional<FileText> text;
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
            text.emplace();
            if (!text->Map(fd, static_cast<std::size_t>(info.st_size)) && !text->Read(fd))
                text.reset();
        }
        ::close(fd);
        return text;
    }

    FileText() = default;
    FileText(FileText&& other) noexcept
        : map_(std::exchange(other.map_, nullptr)), size_(std::exchange(other.size_, 0)),
          copy_(std::move(other.copy_)) {}
    FileText& operator=(FileText&&) = delete;
    FileText(const FileText&) = delete;
    ~FileText() {
        if (map_ != nullptr)
            ::munmap(map_, size_);
    }

    std::string_view View() const {
        return map_ != nullptr ? std::string_view(static_cast<const char*>(map_), size_) : copy_;
    }

private:
    bool Map(int fd, std::size_t size) {
        if (size == 0)
            return false;
        void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
        if (map == MAP_FAILED)
            return false;
        map_ = map;
        size_ = size;
        return true;
    }

    // Files that cannot be mapped (empty ones, some special file systems) are read instead.
    bool Read(int fd) {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return false;
            if (n == 0)
                return true;
            copy_.append(buffer, static_cast<std::size_t>(n));
        }
    }

    void* map_ = nullptr;
    std::size_t size_ = 0;
    std::string copy_;
};

// A write that changes no byte: the file is opened for writing and its time set, as replacing
// it would, without copying it. False where the replacement would be refused too.
bool TouchFile(const std::string& path) {
    if (!MayReplaceExistingFile(path))
        return false;
    RemoveOldReplaceLeftovers(path);
    const int fd = OpenWithoutWaiting(path, O_WRONLY);
    if (fd < 0)
        return false;
    const bool touched = ::futimens(fd, nullptr) == 0;
    return ::close(fd) == 0 && touched;
}

} // namespace

namespace profile {

std::int32_t IntegerOr(const std::optional<std::string>& value, std::int32_t def) {
    return value ? ParseInteger(*value).value_or(def) : def;
}

bool BoolOr(const std::optional<std::string>& value, bool def) {
    return IntegerOr(value, def ? 1 : 0) != 0;
}

} // namespace profile

std::vector<std::optional<std::string>>
ProfileFile::ReadStrings(const std::vector<profile::KeyName>& keys) const {
    const std::optional<FileText> text = FileText::Open(path_);
    return profile::FindValues(text ? text->View() : std::string_view(), keys);
}

std::string ProfileFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view def) const {
    return ReadStrings({{section, key}}).front().value_or(std::string(def));
}

void ProfileFile::WriteStrings(const std::vector<profile::Entry>& entries) const {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path_, error);
    const bool exists = fs::exists(status);
    // A pipe, a socket or a device in the file's place would swallow the text or never answer.
    if (fs::is_fifo(status) || fs::is_socket(status) || fs::is_block_file(status) ||
        fs::is_character_file(status))
        throw Error("Unable to write to " + path_ + ". It is not a regular file.");
    // A file that is there but cannot be read must not be replaced by one holding only these
    // keys.
    std::optional<FileText> current = exists ? FileText::Open(path_) : std::nullopt;
    if (exists && !current)
        throw Error("Unable to write to " + path_);
    std::optional<std::string> changed =
        profile::ChangedContents(current ? current->View() : std::string_view(), entries);
    if (!changed && exists) {
        // The file already holds these values: rewriting a large file byte for byte would cost
        // a pass for nothing.
        if (!TouchFile(path_))
            throw Error("Unable to write to " + path_);
        return;
    }
    current.reset();
    if (!ReplaceFileContents(path_, changed.value_or(std::string())))
        throw Error("Unable to write to " + path_);
}

} // namespace lexfall
