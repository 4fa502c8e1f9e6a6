// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/ProxySettings.h"

#include "text/Error.h"
#include "text/Text.h"

namespace lexfall {
namespace {

constexpr std::size_t ShortestProxyHost = 7;

} // namespace

ProxyParams SetProxy(const Settings& settings) {
    if (!settings.EnableProxy)
        return ProxyParams{};
    return ProxyParams{settings.Proxy, settings.Port, settings.ProxyUser, settings.ProxyPwd};
}

ProxyFields ShowProxy(const Settings& settings) {
    return ProxyFields{settings.Proxy, std::to_string(settings.Port), settings.ProxyUser,
                       settings.ProxyPwd};
}

ProxyCheck CheckProxyFields(const ProxyFields& fields) {
    if (fields.ip.size() < ShortestProxyHost)
        return ProxyCheck::HostTooShort;
    if (fields.port.empty())
        return ProxyCheck::PortEmpty;
    return ProxyCheck::Accepted;
}

void TakeProxyFields(const ProxyFields& fields, Settings& settings) {
    settings.EnableProxy = true;
    settings.Proxy = KeepFirst(fields.ip, ProxyLimit);
    settings.ProxyUser = KeepFirst(fields.user, ProxyUserLimit);
    settings.ProxyPwd = KeepFirst(fields.password, ProxyPwdLimit);
    const std::string port = text::RemoveBlanks(fields.port);
    if (!port.empty())
        settings.Port = KeepLow16(text::StrToInt(port));
}

void GetProxyFromIE(const BrowserProxy& browser, Settings& settings) {
    const auto values = browser.Read();
    if (values && values->Unusable)
        throw Error(*values->Unusable);
    if (!values || !values->ProxyServer)
        return;
    const std::string& server = *values->ProxyServer;
    if (const auto colon = server.find(':'); colon != std::string::npos) {
        const std::int16_t port = KeepLow16(text::StrToInt(server.substr(colon + 1)));
        settings.Port = port;
        settings.Proxy = KeepFirst(server.substr(0, colon), ProxyLimit);
    }
    if (values->ProxyUsername)
        settings.ProxyUser = KeepFirst(*values->ProxyUsername, ProxyUserLimit);
    if (values->ProxyPassword)
        settings.ProxyPwd = KeepFirst(*values->ProxyPassword, ProxyPwdLimit);
}

bool BypassesProxy(std::string_view host, std::string_view noProxy) {
    while (!noProxy.empty()) {
        const auto comma = noProxy.find(',');
        std::string_view entry = noProxy.substr(0, comma);
        noProxy.remove_prefix(comma == std::string_view::npos ? noProxy.size() : comma + 1);
        entry = text::TrimBlanks(entry);
        if (entry == "*")
            return true;
        // ".example.org" and "example.org" both name the domain and every host under it.
        if (!entry.empty() && entry.front() == '.')
            entry.remove_prefix(1);
        if (entry.empty() || entry.size() > host.size())
            continue;
        const std::string_view tail = host.substr(host.size() - entry.size());
        if (text::EqualNoCase(tail, entry) &&
            (tail.size() == host.size() || host[host.size() - entry.size() - 1] == '.'))
            return true;
    }
    return false;
}

} // namespace lexfall
