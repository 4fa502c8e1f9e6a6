// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "online/HttpRequest.h"
#include "platform/BrowserProxy.h"
#include "settings/Settings.h"

#include <string>
#include <string_view>

namespace lexfall {

// The proxy parameters for the settings: the proxy's when EnableProxy, else none.
ProxyParams SetProxy(const Settings& settings);

// The texts of the four proxy fields of the options page.
struct ProxyFields {
    std::string ip;
    std::string port;
    std::string user;
    std::string password;
};

// The fields as ShowProxy fills them: the port in signed decimal.
ProxyFields ShowProxy(const Settings& settings);

// The proxy handler's checks of a ticked "Enable Proxy" box. The host is checked only for its
// length (the shortest dotted address has 7 characters), the port only for being empty
// before its blanks are removed.
enum class ProxyCheck { Accepted, HostTooShort, PortEmpty };
ProxyCheck CheckProxyFields(const ProxyFields& fields);

inline constexpr const char* InvalidProxyServerText = " Please enter a valid proxy server. ";
inline constexpr const char* InvalidProxyPortText = " Please enter a valid proxy port. ";

// Takes accepted fields into the settings: EnableProxy, then host, user name and password, cut
// to their limits; then the blank-free port, when anything is left, as its low 16 bits. A port
// that is not an integer throws the conversion error after the rest has been taken.
void TakeProxyFields(const ProxyFields& fields, Settings& settings);

// Takes the browser's proxy into Proxy, Port, ProxyUser and ProxyPwd. No browser settings, or
// no server value, change nothing. A server "host:port" sets the port first: a port that is
// not an integer throws the conversion error and changes nothing. A server without ":" keeps
// host and port but the user name and password are still taken. The host is taken whole. A
// browser proxy that is not an HTTP proxy throws its Unusable text and changes nothing.
void GetProxyFromIE(const BrowserProxy& browser, Settings& settings);

// Whether a request for host goes directly by a no_proxy list, read as curl and wget read it:
// comma-separated host names and domain suffixes (a leading "." or not), "*" for every host.
bool BypassesProxy(std::string_view host, std::string_view noProxy);

} // namespace lexfall
