// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the game and the records server say to each other: the endpoints and their query keys,
// the reply codes, and the record text. Both sides build on this, so neither can drift alone.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lexfall::protocol {

// Endpoint names, relative to the server's base address.
inline constexpr std::string_view kCheckWrEndpoint = "checkwr.asp";
inline constexpr std::string_view kGetMyRecEndpoint = "getmyrec.asp";
inline constexpr std::string_view kPutMyRecEndpoint = "putmyrec.asp";

// Query keys of Get MyRec and Put MyRec.
inline constexpr std::string_view kUserKey = "u";
inline constexpr std::string_view kEmailKey = "e";
inline constexpr std::string_view kCodeKey = "c";
inline constexpr std::string_view kRecordKey = "r";

// The one-character replies of Get MyRec and Put MyRec; any longer reply is a record text.
// "2" has no meaning: the server never sends it and the game reads it as no code.
enum class ReplyCode : char {
    Stored = '0',
    UnknownUser = '1',
    CodeRefused = '3',
    InvalidRecord = '4',
    NoRecord = '5',
    NotBetter = '6',
    ServerFailed = '7',
};
// Every code, in wire order.
inline constexpr std::array kReplyCodes = {
    ReplyCode::Stored,   ReplyCode::UnknownUser, ReplyCode::CodeRefused, ReplyCode::InvalidRecord,
    ReplyCode::NoRecord, ReplyCode::NotBetter,   ReplyCode::ServerFailed};

// The reply body that carries code.
std::string ReplyText(ReplyCode code);
// The code a whole reply body is, or nothing: replies are compared exactly, so "0" followed
// by a line end is no code.
std::optional<ReplyCode> ReadReplyCode(std::string_view reply);

// A record text is six fields joined by ",": name, words, time, letters, total, date.
inline constexpr std::size_t kRecordFieldCount = 6;
enum RecordField : std::size_t {
    NameField,
    WordsField,
    TimeField,
    LettersField,
    TotalField,
    DateField
};

// The date field as the game writes it today: yyyy-mm-dd, the same on every desktop.
inline constexpr const char* kRecordDatePattern = "%Y-%m-%d";
// True when text has the form of kRecordDatePattern: four, two and two digits with "-".
bool HasRecordDateShape(std::string_view text);

std::string JoinRecordFields(std::string_view name, std::int64_t words, std::int64_t time,
                             std::int64_t letters, std::int64_t total, std::string_view date);

// The first five fields each end at a ","; the date is all that follows the fifth. In a text
// with fewer commas, the fields after the last one found are empty and what follows that
// comma stands as the date. Complete says there were six fields exactly, no "," in the date.
struct RecordFields {
    std::array<std::string_view, kRecordFieldCount> Texts;
    bool Complete = false;

    std::string_view operator[](RecordField field) const { return Texts[field]; }
};
RecordFields SplitRecordFields(std::string_view text);

} // namespace lexfall::protocol
