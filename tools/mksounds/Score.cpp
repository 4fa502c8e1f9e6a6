// SPDX-License-Identifier: GPL-3.0-or-later
#include "Score.h"

#include <cctype>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

namespace lexfall::sounds {
namespace {

struct Token {
    std::string text;
    int line;
};

using Tokens = std::vector<Token>;

constexpr int kMaxPhraseDepth = 16;

// A comment starts with a "#" that begins a word; inside a word, as in G#4, it is a sharp.
std::string WithoutComment(const std::string& line) {
    for (std::size_t i = 0; i < line.size(); ++i)
        if (line[i] == '#' && (i == 0 || std::isspace(static_cast<unsigned char>(line[i - 1]))))
            return line.substr(0, i);
    return line;
}

class Reader {
public:
    explicit Reader(std::string title) { piece_.title = std::move(title); }

    Piece Read(const std::string& text);

private:
    [[noreturn]] void Fail(int line, const std::string& message) const {
        throw std::runtime_error(piece_.title + ":" + std::to_string(line) + ": " + message);
    }

    int Number(const std::string& text, int line, int low, int high) const;
    void Directive(const std::vector<std::string>& words, int line);
    void Expand(const Tokens& tokens, std::size_t begin, std::size_t end, int transpose, int depth,
                Track& track);
    void AddNotes(const Token& token, int transpose, Track& track);

    Piece piece_;
    std::map<std::string, Tokens> phrases_;
    std::vector<std::pair<Track, Tokens>> tracks_;
    Tokens* open_ = nullptr; // where the tokens of the current line go
    std::string defining_;
    int length_ = 4;
    int velocity_ = 96;
};

int Reader::Number(const std::string& text, int line, int low, int high) const {
    std::size_t used = 0;
    int value = 0;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size() || value < low || value > high)
        Fail(line, "expected a number from " + std::to_string(low) + " to " + std::to_string(high) +
                       ", found \"" + text + "\"");
    return value;
}

void Reader::Directive(const std::vector<std::string>& words, int line) {
    const std::string& word = words[0];
    if (word == "tempo" && words.size() == 2) {
        piece_.tempo = Number(words[1], line, 20, 300);
    } else if (word == "time" && words.size() == 2) {
        const auto slash = words[1].find('/');
        if (slash == std::string::npos)
            Fail(line, "time wants beats/unit, e.g. 3/4");
        piece_.beatsPerBar = Number(words[1].substr(0, slash), line, 1, 16);
        piece_.beatUnit = Number(words[1].substr(slash + 1), line, 2, 8);
        if (piece_.beatUnit != 2 && piece_.beatUnit != 4 && piece_.beatUnit != 8)
            Fail(line, "the beat unit must be 2, 4 or 8");
    } else if (word == "define" && words.size() == 2) {
        if (!defining_.empty())
            Fail(line, "phrase " + defining_ + " has no end");
        if (phrases_.count(words[1]))
            Fail(line, "phrase " + words[1] + " is defined twice");
        defining_ = words[1];
        open_ = &phrases_[defining_];
    } else if (word == "end" && words.size() == 1) {
        if (defining_.empty())
            Fail(line, "end without define");
        defining_.clear();
        open_ = tracks_.empty() ? nullptr : &tracks_.back().second;
    } else if (word == "track" && words.size() >= 2 && words.size() % 2 == 0) {
        if (!defining_.empty())
            Fail(line, "phrase " + defining_ + " has no end");
        Track track;
        track.name = words[1];
        for (std::size_t i = 2; i < words.size(); i += 2) {
            const std::string& key = words[i];
            if (key == "program")
                track.program = Number(words[i + 1], line, 0, 127);
            else if (key == "channel")
                track.channel = Number(words[i + 1], line, 0, 15);
            else if (key == "volume")
                track.volume = Number(words[i + 1], line, 0, 127);
            else if (key == "pan")
                track.pan = Number(words[i + 1], line, 0, 127);
            else
                Fail(line, "unknown track setting \"" + key + "\"");
        }
        tracks_.emplace_back(std::move(track), Tokens{});
        open_ = &tracks_.back().second;
    } else {
        Fail(line, "cannot read \"" + word + "\" here");
    }
}

// One note, chord or rest; lengths are in sixteenths.
void Reader::AddNotes(const Token& token, int transpose, Track& track) {
    const std::string& s = token.text;
    std::size_t i = 0;
    std::vector<int> keys;
    bool rest = false;
    if (s[0] == 'r') {
        rest = true;
        i = 1;
    } else {
        while (true) {
            int key = 0;
            if (std::isdigit(static_cast<unsigned char>(s[i]))) {
                std::size_t j = i;
                while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])))
                    ++j;
                key = Number(s.substr(i, j - i), token.line, 0, 127);
                i = j;
            } else {
                static const int kSemitone[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
                if (s[i] < 'A' || s[i] > 'G')
                    Fail(token.line, "cannot read \"" + s + "\"");
                key = kSemitone[s[i] - 'A'];
                ++i;
                if (i < s.size() && (s[i] == '#' || s[i] == 'b'))
                    key += s[i++] == '#' ? 1 : -1;
                if (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i])))
                    Fail(token.line, "note without octave in \"" + s + "\"");
                key += (s[i++] - '0' + 1) * 12;
            }
            key += transpose;
            if (key < 0 || key > 127)
                Fail(token.line, "\"" + s + "\" transposed leaves the key range");
            keys.push_back(key);
            if (i < s.size() && s[i] == '+') {
                ++i;
                continue;
            }
            break;
        }
    }
    if (i < s.size()) {
        switch (s[i]) {
        case 'w':
            length_ = 16;
            break;
        case 'h':
            length_ = 8;
            break;
        case 'q':
            length_ = 4;
            break;
        case 'e':
            length_ = 2;
            break;
        case 's':
            length_ = 1;
            break;
        default:
            Fail(token.line, "unknown length in \"" + s + "\"");
        }
        ++i;
        if (i < s.size() && s[i] == '.') {
            if (length_ == 1)
                Fail(token.line, "a dotted sixteenth is too short");
            length_ += length_ / 2;
            ++i;
        }
    }
    if (i != s.size())
        Fail(token.line, "cannot read \"" + s + "\"");
    if (!rest)
        for (int key : keys)
            track.notes.push_back({track.end, length_, key, velocity_});
    track.end += length_;
}

void Reader::Expand(const Tokens& tokens, std::size_t begin, std::size_t end, int transpose,
                    int depth, Track& track) {
    const int bar = piece_.beatsPerBar * 16 / piece_.beatUnit;
    for (std::size_t i = begin; i < end; ++i) {
        const Token& token = tokens[i];
        const std::string& s = token.text;
        if (s == "[") {
            int open = 1;
            std::size_t close = i + 1;
            for (; close < end && open > 0; ++close) {
                if (tokens[close].text == "[")
                    ++open;
                else if (tokens[close].text[0] == ']')
                    --open;
            }
            if (open > 0)
                Fail(token.line, "[ without ]xN");
            const std::string& closing = tokens[close - 1].text;
            if (closing.size() < 3 || closing[1] != 'x')
                Fail(tokens[close - 1].line, "a repeat ends with ]xN");
            const int times = Number(closing.substr(2), tokens[close - 1].line, 1, 64);
            for (int n = 0; n < times; ++n)
                Expand(tokens, i + 1, close - 1, transpose, depth, track);
            i = close - 1;
        } else if (s[0] == ']') {
            Fail(token.line, "] without [");
        } else if (s[0] == '@') {
            const auto sign = s.find_first_of("+-");
            const std::string name = s.substr(1, sign == std::string::npos ? sign : sign - 1);
            const auto phrase = phrases_.find(name);
            if (phrase == phrases_.end())
                Fail(token.line, "no phrase called " + name);
            if (depth >= kMaxPhraseDepth)
                Fail(token.line, "phrases nest too deeply at " + name);
            int shift = 0;
            if (sign != std::string::npos)
                shift = (s[sign] == '-' ? -1 : 1) * Number(s.substr(sign + 1), token.line, 0, 48);
            Expand(phrase->second, 0, phrase->second.size(), transpose + shift, depth + 1, track);
        } else if (s == "|") {
            if (track.end % bar != 0)
                Fail(token.line, "bar line in the middle of a bar (" +
                                     std::to_string(track.end % bar) + " sixteenths in)");
        } else if (s[0] == 'v' && s.size() > 1) {
            velocity_ = Number(s.substr(1), token.line, 1, 127);
        } else {
            AddNotes(token, transpose, track);
        }
    }
}

Piece Reader::Read(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        line = WithoutComment(line);
        std::istringstream in(line);
        std::vector<std::string> words;
        for (std::string word; in >> word;)
            words.push_back(word);
        if (words.empty())
            continue;
        static const char* const kDirectives[] = {"tempo", "time", "define", "end", "track"};
        bool directive = false;
        for (const char* d : kDirectives)
            directive = directive || words[0] == d;
        if (directive) {
            Directive(words, number);
            continue;
        }
        if (open_ == nullptr)
            Fail(number, "notes outside a track or phrase");
        for (const std::string& word : words)
            open_->push_back({word, number});
    }
    if (!defining_.empty())
        Fail(0, "phrase " + defining_ + " has no end");
    if (tracks_.empty())
        Fail(0, "no tracks");

    for (auto& [track, tokens] : tracks_) {
        length_ = 4;
        velocity_ = 96;
        Expand(tokens, 0, tokens.size(), 0, 0, track);
    }
    // Tracks that drift apart are a slip in the writing, not an intended overlap.
    for (const auto& [track, tokens] : tracks_)
        if (track.end != tracks_.front().first.end)
            Fail(tokens.empty() ? 0 : tokens.back().line,
                 "track " + track.name + " is " + std::to_string(track.end) +
                     " sixteenths long, the first track " +
                     std::to_string(tracks_.front().first.end));
    for (auto& entry : tracks_)
        piece_.tracks.push_back(std::move(entry.first));
    return piece_;
}

} // namespace

Piece ParsePiece(const std::string& text, const std::string& title) {
    return Reader(title).Read(text);
}

Piece ReadPiece(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + file.string());
    std::ostringstream text;
    text << in.rdbuf();
    return ParsePiece(text.str(), file.stem().string());
}

} // namespace lexfall::sounds
