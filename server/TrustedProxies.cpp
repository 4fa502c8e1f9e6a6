// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/TrustedProxies.h"

#include <arpa/inet.h>

#include <stdexcept>

namespace lexfall::server {

namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// IPv4 addresses are kept as IPv4-mapped IPv6 ones, so one comparison covers both.
constexpr int kMappedPrefix = 96;

} // namespace

std::optional<std::array<std::uint8_t, 16>> TrustedProxies::Parse(std::string_view address) {
    if (address.size() > 2 && address.front() == '[' && address.back() == ']')
        address = address.substr(1, address.size() - 2);
    const std::string text(address);
    std::array<std::uint8_t, 16> bytes{};
    in_addr v4{};
    if (inet_pton(AF_INET, text.c_str(), &v4) == 1) {
        bytes[10] = bytes[11] = 0xff;
        const auto* raw = reinterpret_cast<const std::uint8_t*>(&v4.s_addr);
        std::copy(raw, raw + 4, bytes.begin() + 12);
        return bytes;
    }
    if (inet_pton(AF_INET6, text.c_str(), bytes.data()) == 1)
        return bytes;
    return std::nullopt;
}

TrustedProxies::TrustedProxies(std::string_view list) {
    while (!list.empty()) {
        const std::size_t end = list.find_first_of(", \t");
        const std::string_view entry = list.substr(0, end);
        list = end == std::string_view::npos ? std::string_view() : list.substr(end + 1);
        if (entry.empty())
            continue;
        const std::size_t slash = entry.find('/');
        const auto bytes = Parse(entry.substr(0, slash));
        const bool v4 = bytes && entry.substr(0, slash).find(':') == std::string_view::npos;
        int bits = v4 ? 32 : 128;
        bool ok = bytes.has_value();
        if (ok && slash != std::string_view::npos) {
            const std::string_view digits = entry.substr(slash + 1);
            ok = !digits.empty() && digits.size() <= 3 &&
                 digits.find_first_not_of("0123456789") == std::string_view::npos;
            if (ok) {
                bits = std::stoi(std::string(digits));
                ok = bits <= (v4 ? 32 : 128);
            }
        }
        if (!ok)
            throw std::invalid_argument("'" + std::string(entry) + "' is no address or CIDR range");
        ranges_.push_back(Range{*bytes, v4 ? bits + kMappedPrefix : bits});
    }
}

bool TrustedProxies::Trusts(std::string_view address) const {
    const auto bytes = Parse(Trimmed(address));
    if (!bytes)
        return false;
    for (const Range& range : ranges_) {
        int bit = 0;
        for (; bit < range.Bits; ++bit) {
            const int mask = 0x80 >> (bit % 8);
            if (((*bytes)[bit / 8] & mask) != (range.Bytes[bit / 8] & mask))
                break;
        }
        if (bit == range.Bits)
            return true;
    }
    return false;
}

std::string TrustedProxies::Client(const std::string& peer,
                                   const std::vector<std::string>& forwarded) const {
    if (!Trusts(peer))
        return peer;
    std::vector<std::string_view> hops;
    for (const std::string& line : forwarded) {
        std::string_view rest = line;
        while (true) {
            const std::size_t comma = rest.find(',');
            hops.push_back(Trimmed(rest.substr(0, comma)));
            if (comma == std::string_view::npos)
                break;
            rest.remove_prefix(comma + 1);
        }
    }
    std::string client = peer;
    for (auto hop = hops.rbegin(); hop != hops.rend(); ++hop) {
        if (!Parse(*hop))
            break;
        client = std::string(*hop);
        if (!Trusts(*hop))
            break;
    }
    return client;
}

} // namespace lexfall::server
