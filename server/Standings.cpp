// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/Standings.h"

#include "text/SystemText.h"
#include "text/Text.h"

#include <cstdio>

namespace lexfall::server {

namespace {

// Names and dates are the players' bytes: shown as UTF-8, every other byte as its
// Windows-1252 character, so the page and the JSON are always valid UTF-8.
std::string Html(std::string_view bytes) {
    std::string out;
    for (const char c : ShownUtf8(bytes)) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            // Control characters are not allowed in a page; none reaches a stored name.
            out += text::IsControlAscii(c) ? '?' : c;
        }
    }
    return out;
}

std::string Json(std::string_view bytes) {
    std::string out = "\"";
    for (const char c : ShownUtf8(bytes)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (text::IsControlAscii(c)) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + '"';
}

// Left-aligned in width characters, counted as the terminal shows UTF-8.
std::string Padded(const std::string& text, std::size_t width) {
    std::size_t shown = 0;
    for (const char c : text)
        shown += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return shown >= width ? text : text + std::string(width - shown, ' ');
}

std::string Right(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

constexpr const char* kStyle = R"(
body { margin: 0; font-family: sans-serif; color: #1b1b1b; background: #f4f1ea; }
main { max-width: 46em; margin: 0 auto; padding: 1em; }
h1 { font-size: 1.6em; margin: 0.2em 0 0.6em; }
h2 { font-size: 1.15em; margin: 1.2em 0 0.4em; }
.wr { background: #fff; border: 2px solid #c8a020; border-radius: 8px; padding: 0.8em 1em; }
.wr h2 { margin-top: 0; }
.wr .holder { font-size: 1.4em; font-weight: bold; margin: 0; overflow-wrap: anywhere; }
.wr .total { font-size: 1.2em; margin: 0.2em 0; }
.wr .figures { margin: 0; color: #444; }
table { width: 100%; border-collapse: collapse; background: #fff; }
th, td { padding: 0.4em 0.5em; text-align: right; border-bottom: 1px solid #ddd; }
th.name, td.name { text-align: left; overflow-wrap: anywhere; word-break: break-word; }
td.date { white-space: nowrap; }
thead th { background: #2b4a6f; color: #fff; }
tbody tr:nth-child(odd) { background: #f8f8f8; }
@media (max-width: 32em) {
  main { padding: 0.5em; }
  th, td { padding: 0.3em 0.2em; font-size: 0.85em; }
  .date { display: none; }
}
)";

} // namespace

std::vector<Standing> Ranked(const std::vector<ServerRecord>& records) {
    std::vector<Standing> standings;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const bool tie = i > 0 && records[i].Total == records[i - 1].Total;
        standings.push_back({tie ? standings.back().Rank : static_cast<int>(i) + 1, records[i]});
    }
    return standings;
}

std::string StandingsText(const std::vector<Standing>& standings) {
    if (standings.empty())
        return "No records yet.\n";
    std::string out = "Rank  " + Padded("Name", 20) + " " + Right("Total", 10) + "  " +
                      Right("Words", 5) + "  " + Right("Seconds", 7) + "  " + Right("Letters", 7) +
                      "  Date\n";
    for (const Standing& s : standings) {
        const ServerRecord& r = s.Record;
        out += Right(std::to_string(s.Rank), 4) + "  " + Padded(ShownUtf8(r.Name), 20) + " " +
               Right(std::to_string(r.Total), 10) + "  " +
               Right(std::to_string(r.CompletedWords), 5) + "  " +
               Right(std::to_string(r.UsedTime), 7) + "  " +
               Right(std::to_string(r.UsedLetters), 7) + "  " + ShownUtf8(r.Date) + "\n";
    }
    return out;
}

std::string StandingsJson(const std::vector<Standing>& standings) {
    std::string out = "[";
    for (const Standing& s : standings) {
        const ServerRecord& r = s.Record;
        out +=
            std::string(out.size() > 1 ? ",\n " : "\n ") + "{\"rank\": " + std::to_string(s.Rank) +
            ", \"name\": " + Json(r.Name) + ", \"total\": " + std::to_string(r.Total) +
            ", \"words\": " + std::to_string(r.CompletedWords) +
            ", \"seconds\": " + std::to_string(r.UsedTime) +
            ", \"letters\": " + std::to_string(r.UsedLetters) + ", \"date\": " + Json(r.Date) + "}";
    }
    return out + (standings.empty() ? "]\n" : "\n]\n");
}

namespace {

// Well-formed as XML too, so a strict parser can check every page.
std::string Page(const std::string& body) {
    return std::string(
               "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\" />\n"
               "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\" />\n"
               "<title>Lexfall standings</title>\n<style>") +
           kStyle + "</style>\n</head>\n<body>\n<main>\n<h1>Lexfall standings</h1>\n" + body +
           "</main>\n</body>\n</html>\n";
}

} // namespace

std::string StandingsHtml(const std::vector<Standing>& standings) {
    if (standings.empty())
        return Page("<p>No records yet: the first record put on this server leads.</p>\n");
    const ServerRecord& best = standings.front().Record;
    std::string body = "<section class=\"wr\">\n<h2>World record</h2>\n<p class=\"holder\">" +
                       Html(best.Name) + "</p>\n<p class=\"total\">" + std::to_string(best.Total) +
                       " points</p>\n<p class=\"figures\">" + std::to_string(best.CompletedWords) +
                       " words, " + std::to_string(best.UsedLetters) + " letters, " +
                       std::to_string(best.UsedTime) + " seconds, " + Html(best.Date) +
                       "</p>\n</section>\n";
    body += "<h2>Top " + std::to_string(standings.size()) +
            "</h2>\n<table>\n<thead><tr>"
            "<th>Rank</th><th class=\"name\">Name</th><th>Total</th><th>Words</th>"
            "<th>Letters</th><th>Seconds</th><th class=\"date\">Date</th></tr></thead>\n<tbody>\n";
    for (const Standing& s : standings) {
        const ServerRecord& r = s.Record;
        body += "<tr><td>" + std::to_string(s.Rank) + "</td><td class=\"name\">" + Html(r.Name) +
                "</td><td>" + std::to_string(r.Total) + "</td><td>" +
                std::to_string(r.CompletedWords) + "</td><td>" + std::to_string(r.UsedLetters) +
                "</td><td>" + std::to_string(r.UsedTime) + "</td><td class=\"date\">" +
                Html(r.Date) + "</td></tr>\n";
    }
    return Page(body + "</tbody>\n</table>\n");
}

std::string StandingsUnavailableHtml() {
    return Page("<p>The standings cannot be read right now. Please try again later.</p>\n");
}

} // namespace lexfall::server
