// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "settings/SettingsFile.h"

#include <optional>
#include <string>
#include <string_view>

// The three exchanges with the records server: where they go, what they send, and what the
// player is told about each reply. The window applies the outcomes.
namespace lexfall::exchange {

// The base address for this exchange: Server= of section Register, read afresh from the file
// at settingsPath, or ServerBase when the key is absent or empty. A value that is not
// "http://" or "https://" + host [+ ":" port] + "/" [+ folder + "/"] throws an Error that names
// the key and the file.
std::string ReadServerBase(const std::string& settingsPath);

// A query value made safe for the request line and its query: blanks, control characters,
// bytes above 127 (as the UTF-8 of their Latin-1 character) and & # % + = ? \ are written
// %XX; everything else is sent as it is.
std::string EncodeQueryValue(std::string_view value);

std::string CheckWrUrl(const std::string& base);
std::string GetMyRecUrl(const std::string& base, const RegisterInfo& identity);
std::string PutMyRecUrl(const std::string& base, const RegisterInfo& identity,
                        const std::string& recordText);

// All three identity values are needed for Get MyRec and Put MyRec.
bool IdentityComplete(const RegisterInfo& identity);
std::string IdentityMissingText(const std::string& settingsPath);

inline constexpr const char* GetMyRecQuestion =
    "Your current record maybe better than the server's, are you sure to get it?";
inline constexpr const char* PutMyRecQuestion = "Put your record to game server, are you sure?";
inline constexpr const char* WorldRecordFetchedText = " Get World Record success. ";
inline constexpr const char* MyRecordFetchedText = " Get Record success. ";

// Check WR: a reply shorter than 2 characters is a failure, with this message.
std::optional<std::string> CheckWrFailure(const std::string& reply);

// Get MyRec: a reply of 2 characters or more is a record text; a shorter one has a message,
// or none ("2" and the like are ignored). An empty body counts as "7".
struct GetMyRecOutcome {
    bool isRecord = false;
    std::optional<std::string> message;
};
GetMyRecOutcome GetMyRecReply(const std::string& body);

// Put MyRec: the message for the reply (an empty body counts as "7").
std::string PutMyRecMessage(const std::string& body);

} // namespace lexfall::exchange
