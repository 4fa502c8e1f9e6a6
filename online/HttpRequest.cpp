// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/HttpRequest.h"

#include "text/Text.h"

namespace lexfall {
namespace {

std::string ProxyAuthorization(const ProxyParams& proxy) {
    return "Proxy-Authorization: Basic " + text::Base64(proxy.user + ":" + proxy.password) + "\r\n";
}

} // namespace

std::string BuildRequest(const HttpUrl& url, const ProxyParams& proxy, const std::string& cookies) {
    const std::string port = std::to_string(url.port);
    const std::string target =
        proxy.InUse() ? "http://" + url.host + ":" + port + url.target : url.target;
    std::string request = "GET " + target + " HTTP/1.1\r\n";
    request += "Content-Type: text/html\r\n";
    request += "Host: " + url.host + (url.port != url.DefaultPort() ? ":" + port : "") + "\r\n";
    request += "Accept: text/html, */*\r\n";
    request += "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n";
    if (!cookies.empty())
        request += "Cookie: " + cookies + "\r\n";
    // The settings hold proxy credentials; without them a proxy that asks for a login could
    // never be used.
    if (proxy.InUse() && !proxy.user.empty())
        request += ProxyAuthorization(proxy);
    request += "\r\n";
    return request;
}

std::string BuildConnectRequest(const HttpUrl& url, const ProxyParams& proxy) {
    const std::string authority = url.host + ":" + std::to_string(url.port);
    std::string request = "CONNECT " + authority + " HTTP/1.1\r\nHost: " + authority + "\r\n";
    if (!proxy.user.empty())
        request += ProxyAuthorization(proxy);
    request += "\r\n";
    return request;
}

} // namespace lexfall
