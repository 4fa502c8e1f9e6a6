#include "settings/ProfileFile.h"

#include "platform/Error.h"
#include "platform/SystemText.h"
#include "settings/FileReplace.h"
#include "text/Text.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace lexfall {
namespace profile {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

std::string_view Trim(std::string_view text) {
    text = TrimLeft(text);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

using text::EqualNoCase;

struct Line {
    std::string text;
    std::string end; // "\r\n", "\n", "\r", or empty on a last line without a break
};

// A line ends at a line feed, a carriage return and line feed, or a lone carriage return.
std::vector<Line> SplitLines(std::string_view content) {
    std::vector<Line> lines;
    while (!content.empty()) {
        const auto brk = content.find_first_of("\r\n");
        if (brk == std::string_view::npos) {
            lines.push_back({std::string(content), ""});
            break;
        }
        const bool crlf =
            content[brk] == '\r' && brk + 1 < content.size() && content[brk + 1] == '\n';
        const std::size_t endLength = crlf ? 2 : 1;
        lines.push_back(
            {std::string(content.substr(0, brk)), std::string(content.substr(brk, endLength))});
        content.remove_prefix(brk + endLength);
    }
    return lines;
}

std::string JoinLines(const std::vector<Line>& lines) {
    std::string content;
    for (const Line& line : lines)
        content += line.text + line.end;
    return content;
}

// The line ending that added lines take: the file's first one.
std::string LineEndOf(const std::vector<Line>& lines) {
    for (const Line& line : lines) {
        if (!line.end.empty())
            return line.end;
    }
    return std::string(NewFileLineEnd);
}

// The first line without the UTF-8 byte-order mark an editor may have put before it; the mark
// stays in the file.
std::string_view WithoutBom(std::string_view line) {
    constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
    return line.substr(0, kUtf8Bom.size()) == kUtf8Bom ? line.substr(kUtf8Bom.size()) : line;
}

// The name of a section header "[name]"; nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
    const std::string_view rest = TrimLeft(line);
    if (rest.empty() || rest.front() != '[')
        return std::nullopt;
    const auto close = rest.find(']', 1);
    return Trim(rest.substr(1, close == std::string_view::npos ? close : close - 1));
}

struct KeyLine {
    std::string_view name;
    std::size_t valueStart; // just after the "="
};

// A "name=value" line; comments (";") and headers are not keys.
std::optional<KeyLine> ParseKeyLine(std::string_view line) {
    const std::string_view rest = TrimLeft(line);
    if (rest.empty() || rest.front() == ';' || rest.front() == '[')
        return std::nullopt;
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return KeyLine{Trim(line.substr(0, equals)), equals + 1};
}

// The header line of the first section of that name and the end of its lines.
struct SectionSpan {
    std::size_t header;
    std::size_t end;
};

std::optional<SectionSpan> FindSection(const std::vector<Line>& lines, std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(i == 0 ? WithoutBom(lines[i].text) : lines[i].text);
        if (!name || !EqualNoCase(*name, section))
            continue;
        std::size_t end = i + 1;
        while (end < lines.size() && !SectionName(lines[end].text))
            ++end;
        return SectionSpan{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> FindKey(const std::vector<Line>& lines, SectionSpan span,
                                   std::string_view key) {
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
        const auto keyLine = ParseKeyLine(lines[i].text);
        if (keyLine && EqualNoCase(keyLine->name, key))
            return i;
    }
    return std::nullopt;
}

// Gives a last line without a break one. After a text that ends in a carriage return a bare
// "\n" would join it into one CR-LF break, and the line would lose that character (a
// "[Options\r" would turn into a section header), so such a line takes CR-LF.
void EndLastLine(Line& line, const std::string& lineEnd) {
    if (line.end.empty())
        line.end = !line.text.empty() && line.text.back() == '\r' ? "\r\n" : lineEnd;
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
    if (Unquote(Trim(value)) == value)
        return std::string(value);
    return "\"" + std::string(value) + "\"";
}

bool ValidName(std::string_view name, std::string_view forbidden) {
    return !name.empty() && Trim(name) == name &&
           name.find_first_of(forbidden) == std::string_view::npos;
}

} // namespace

std::optional<std::string> FindValue(std::string_view content, std::string_view section,
                                     std::string_view key) {
    const std::vector<Line> lines = SplitLines(content);
    const auto span = FindSection(lines, section);
    if (!span)
        return std::nullopt;
    const auto index = FindKey(lines, *span, key);
    if (!index)
        return std::nullopt;
    const std::string_view text = lines[*index].text;
    const std::string_view raw = text.substr(ParseKeyLine(text)->valueStart);
    return std::string(KeepFirstBytes(Unquote(Trim(raw)), MaxValueLength));
}

namespace {

// Sets one key in the file's lines, as SetValue describes.
void SetInLines(std::vector<Line>& lines, const std::string& lineEnd, std::string_view section,
                std::string_view key, std::string_view value) {
    using namespace std::string_view_literals;
    if (!ValidName(section, "]\r\n\0"sv))
        throw std::invalid_argument("not a profile section name: " + std::string(section));
    if (!ValidName(key, "=\r\n\0"sv) || key.front() == ';' || key.front() == '[')
        throw std::invalid_argument("not a profile key name: " + std::string(key));

    const std::string encoded = EncodeValue(value);

    const auto span = FindSection(lines, section);
    if (span) {
        if (const auto index = FindKey(lines, *span, key)) {
            // Only the value changes; the name as spelt in the file and the blanks around
            // "=" stay.
            std::string& text = lines[*index].text;
            std::size_t valueStart = ParseKeyLine(text)->valueStart;
            while (valueStart < text.size() && IsBlank(text[valueStart]))
                ++valueStart;
            text = text.substr(0, valueStart) + encoded;
            return;
        }
        std::size_t last = span->header;
        for (std::size_t i = span->header + 1; i < span->end; ++i) {
            if (!Trim(lines[i].text).empty())
                last = i;
        }
        EndLastLine(lines[last], lineEnd);
        const auto at = lines.begin() + static_cast<std::ptrdiff_t>(last + 1);
        lines.insert(at, Line{std::string(key) + "=" + encoded, lineEnd});
        return;
    }

    if (!lines.empty()) {
        EndLastLine(lines.back(), lineEnd);
        if (!Trim(lines.back().text).empty())
            lines.push_back({"", lineEnd});
    }
    lines.push_back({"[" + std::string(section) + "]", lineEnd});
    lines.push_back({std::string(key) + "=" + encoded, lineEnd});
}

} // namespace

std::string SetValue(std::string_view content, std::string_view section, std::string_view key,
                     std::string_view value) {
    return SetValues(content, {{section, key, std::string(value)}});
}

std::string SetValues(std::string_view content, const std::vector<Entry>& entries) {
    // One split and one join however many keys change: a large file is parsed once.
    std::vector<Line> lines = SplitLines(content);
    const std::string lineEnd = LineEndOf(lines);
    for (const Entry& entry : entries)
        SetInLines(lines, lineEnd, entry.section, entry.key, entry.value);
    return JoinLines(lines);
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

// The bytes of a regular file; nothing when it is missing or cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string content;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        content.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (in.bad())
        return std::nullopt;
    return content;
}

} // namespace

std::string ProfileFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view def) const {
    const std::string content = ReadWholeFile(path_).value_or(std::string());
    return profile::FindValue(content, section, key).value_or(std::string(def));
}

std::int32_t ProfileFile::ReadInteger(std::string_view section, std::string_view key,
                                      std::int32_t def) const {
    return profile::ParseInteger(ReadString(section, key, "")).value_or(def);
}

bool ProfileFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void ProfileFile::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) const {
    WriteStrings({{section, key, std::string(value)}});
}

void ProfileFile::WriteStrings(const std::vector<profile::Entry>& entries) const {
    std::error_code error;
    const bool exists = std::filesystem::exists(path_, error);
    std::string content;
    if (exists) {
        // A file that is there but cannot be read must not be replaced by one holding only
        // these keys.
        auto current = ReadWholeFile(path_);
        if (!current)
            throw Error("Unable to write to " + path_);
        content = std::move(*current);
    }
    if (!ReplaceFileContents(path_, profile::SetValues(content, entries)))
        throw Error("Unable to write to " + path_);
}

void ProfileFile::WriteInteger(std::string_view section, std::string_view key,
                               std::int32_t value) const {
    WriteString(section, key, std::to_string(value));
}

void ProfileFile::WriteBool(std::string_view section, std::string_view key, bool value) const {
    WriteString(section, key, value ? "1" : "0");
}

} // namespace lexfall
