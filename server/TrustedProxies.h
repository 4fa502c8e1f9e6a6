// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The proxies whose X-Forwarded-For is believed, and the client a request comes from: the
// rightmost forwarded address that is no trusted proxy, as nginx's realip module finds it. A
// client can prepend whatever it likes to the header, but not what the proxies append after it.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lexfall::server {

class TrustedProxies {
public:
    TrustedProxies() = default;
    // A list of addresses and CIDR ranges (IPv4 or IPv6) split by commas or blanks; throws
    // std::invalid_argument naming the first entry that is neither.
    explicit TrustedProxies(std::string_view list);

    bool Empty() const { return ranges_.empty(); }
    bool Trusts(std::string_view address) const;
    // The client behind peer: peer itself unless it is trusted, otherwise taken from the
    // X-Forwarded-For lines, in the order they came. An entry that is no address ends the
    // search at the proxy that passed it on.
    std::string Client(const std::string& peer, const std::vector<std::string>& forwarded) const;

private:
    struct Range {
        std::array<std::uint8_t, 16> Bytes{};
        int Bits = 0;
    };
    static std::optional<std::array<std::uint8_t, 16>> Parse(std::string_view address);

    std::vector<Range> ranges_;
};

} // namespace lexfall::server
