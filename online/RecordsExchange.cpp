// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/RecordsExchange.h"

#include "online/ServerAddress.h"
#include "records/RecordsProtocol.h"
#include "settings/ProfileFile.h"
#include "text/Error.h"
#include "text/SystemText.h"
#include "text/Text.h"

namespace lexfall::exchange {
namespace {

using protocol::ReplyCode;

std::string UnknownUserText() {
    return std::string(" Username not exists, please contact with ") + SupportMail + ". ";
}
constexpr const char* CodeRefusedText = " Access code refused, please check your RegCode. ";

// "http://" or "https://", a host name, an optional port, an optional folder, and a closing
// "/": the base of every endpoint, so nothing may follow the folder.
bool ValidServerBase(std::string_view base) {
    std::string_view rest;
    for (const std::string_view scheme : {"http://", "https://"})
        if (base.size() > scheme.size() && text::EqualNoCase(base.substr(0, scheme.size()), scheme))
            rest = base.substr(scheme.size());
    if (rest.empty() || rest.back() != '/')
        return false;
    const auto slash = rest.find('/');
    const std::string_view authority = rest.substr(0, slash);
    const std::string_view folder = rest.substr(slash);
    if (folder.find("//") != std::string_view::npos ||
        folder.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                 "0123456789-._~%!$&'()*+,;=:@/") != std::string_view::npos)
        return false;
    const auto colon = authority.find(':');
    const std::string_view host = authority.substr(0, colon);
    if (host.empty() ||
        host.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                               "0123456789-.") != std::string_view::npos)
        return false;
    if (colon == std::string_view::npos)
        return true;
    const std::string_view port = authority.substr(colon + 1);
    const auto number = text::ParseDecimal(port);
    return number && port.front() >= '0' && port.front() <= '9' && *number >= 1 && *number <= 65535;
}

// An empty body is taken as the server's failure.
std::string Reply(const std::string& body) {
    return body.empty() ? protocol::ReplyText(ReplyCode::ServerFailed) : body;
}

std::string QueryPair(std::string_view key, std::string_view value) {
    return std::string(key) + "=" + EncodeQueryValue(value);
}

// The player's identity, as both Get MyRec and Put MyRec send it.
std::string IdentityQuery(const RegisterInfo& identity) {
    return "?" + QueryPair(protocol::kUserKey, identity.UserName) + "&" +
           QueryPair(protocol::kEmailKey, identity.Email) + "&" +
           QueryPair(protocol::kCodeKey, identity.RegCode);
}

} // namespace

std::string ReadServerBase(const std::string& settingsPath) {
    const std::string server = ProfileFile(settingsPath).ReadString("Register", "Server", "");
    if (server.empty())
        return ServerBase;
    if (!ValidServerBase(server))
        throw Error(" The records server address \"" + server + "\" is not valid: Server= in " +
                    "section [Register] of " + settingsPath +
                    " must be http:// or https://, a host name, an optional :port, an optional " +
                    "folder, and a closing /. ");
    return server;
}

std::string EncodeQueryValue(std::string_view value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    static constexpr std::string_view kReserved = "&#%+=?\\";
    std::string encoded;
    const auto escape = [&](unsigned char byte) {
        encoded += '%';
        encoded += kHex[byte >> 4];
        encoded += kHex[byte & 0x0F];
    };
    // The game's text is UTF-8 already; a stray byte that is not goes as the character it shows.
    for (const char c : ShownUtf8(value)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) {
            escape(byte);
        } else if (byte <= 0x20 || byte == 0x7F || kReserved.find(c) != std::string_view::npos) {
            escape(byte);
        } else {
            encoded += c;
        }
    }
    return encoded;
}

std::string CheckWrUrl(const std::string& base) {
    return base + std::string(protocol::kCheckWrEndpoint);
}

std::string GetMyRecUrl(const std::string& base, const RegisterInfo& identity) {
    return base + std::string(protocol::kGetMyRecEndpoint) + IdentityQuery(identity);
}

std::string PutMyRecUrl(const std::string& base, const RegisterInfo& identity,
                        const std::string& recordText) {
    return base + std::string(protocol::kPutMyRecEndpoint) + IdentityQuery(identity) + "&" +
           QueryPair(protocol::kRecordKey, recordText);
}

bool IdentityComplete(const RegisterInfo& identity) {
    return !identity.UserName.empty() && !identity.Email.empty() && !identity.RegCode.empty();
}

std::string IdentityMissingText(const std::string& settingsPath) {
    return " User information is not enough: please fill in UserName, Email and RegCode in "
           "section [Register] of " +
           settingsPath + ". ";
}

std::optional<std::string> CheckWrFailure(const std::string& reply) {
    if (reply.size() >= 2)
        return std::nullopt;
    return std::string(" Failed, please try again later or visit ") + WebSite + ". ";
}

GetMyRecOutcome GetMyRecReply(const std::string& body) {
    const std::string reply = Reply(body);
    if (reply.size() >= 2)
        return {true, std::nullopt};
    const auto code = protocol::ReadReplyCode(reply);
    if (!code) // "2" and the like
        return {false, std::nullopt};
    switch (*code) {
    case ReplyCode::UnknownUser:
        return {false, UnknownUserText()};
    case ReplyCode::CodeRefused:
        return {false, CodeRefusedText};
    case ReplyCode::NoRecord:
        return {false, " No Record, please click \"Put MyRec\" to save Your Record to internet. "};
    case ReplyCode::ServerFailed:
        return {false, " Failed, unknown error. "};
    default: // codes of Put MyRec only: ignored
        return {false, std::nullopt};
    }
}

std::string PutMyRecMessage(const std::string& body) {
    switch (protocol::ReadReplyCode(Reply(body)).value_or(ReplyCode::ServerFailed)) {
    case ReplyCode::Stored:
        return " Put Record success. ";
    case ReplyCode::UnknownUser:
        return UnknownUserText();
    case ReplyCode::CodeRefused:
        return CodeRefusedText;
    case ReplyCode::InvalidRecord:
        return " Invalid Record. ";
    case ReplyCode::NotBetter:
        return " Record exists. ";
    default:
        return std::string(" Failed, unknown error, please contact with ") + SupportMail + ". ";
    }
}

} // namespace lexfall::exchange
