// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/HttpAccess.h"

#include "online/HttpFailures.h"
#include "online/ProxySettings.h"
#include "online/ReplyReader.h"
#include "text/Text.h"

#include <exception>

namespace lexfall {
namespace {

// Redirects are not followed, and a demand for authentication is a failure like the others.
bool IsHttpError(const ReplyHead& head) {
    const bool redirect = head.status >= 300 && head.status < 400 && head.status != 304;
    return redirect || head.Find("Location") != nullptr || head.status < 200 || head.status >= 300;
}

// The text of a failed reply: its status line, or a sentence when it has none to show.
std::string StatusText(const ReplyHead& head) {
    if (head.statusLine.find_first_not_of(" \t") == std::string::npos)
        return http::NoStatusLine;
    return head.statusLine;
}

// Asks the proxy for a tunnel to the server; the proxy's refusal fails like any reply.
void OpenTunnel(Connection& connection, const HttpUrl& target, const ProxyParams& proxy,
                std::chrono::milliseconds idle) {
    connection.Send(BuildConnectRequest(target, proxy));
    // Only the head is read: the proxy's reply to CONNECT has no body, and what follows it is
    // the server's.
    ReplyReader reader;
    while (!reader.HeadDone()) {
        const auto data = connection.Receive(idle);
        if (!data)
            throw Error(http::ReadTimedOut);
        if (data->empty())
            reader.Close();
        else
            reader.Feed(*data);
    }
    if (reader.Head().status < 200 || reader.Head().status >= 300)
        throw Error(StatusText(reader.Head()));
}

} // namespace

std::string HttpAccess::HttpGet(const std::string& url, const std::atomic<bool>* cancelled) {
    // One deadline for the whole exchange, the name lookup included.
    const RequestEnd end{RequestEnd::Clock::now() + limits_.whole, cancelled};
    const HttpUrl target = SplitUrl(url);
    ProxyParams route = proxy;
    if (route.InUse() && BypassesProxy(target.host, route.noProxy))
        route = ProxyParams{};
    std::string host = route.InUse() ? route.host : target.host;
    const std::uint16_t port = route.InUse() ? route.ConnectPort() : target.port;
    if (text::EqualNoCase(host, "localhost"))
        host = "127.0.0.1";
    const std::string cookieUrl = CookieUrl(target);

    auto connection = network_.Connect(host, port, limits_.connect, end);
    if (target.secure) {
        if (route.InUse())
            OpenTunnel(*connection, target, route, limits_.idle);
        connection = network_.StartTls(std::move(connection), target.host, limits_.idle);
        route = ProxyParams{};
    }
    connection->Send(BuildRequest(target, route, cookies_.CookieHeader(cookieUrl)));

    ReplyReader reader;
    bool headSeen = false;
    bool failed = false; // the head says the request failed; its body is only drained
    const auto afterHead = [&] {
        if (headSeen || !reader.HeadDone())
            return;
        headSeen = true;
        cookies_.Store(cookieUrl, reader.SetCookies());
        failed = IsHttpError(reader.Head());
    };
    try {
        while (!reader.Done()) {
            const auto data = connection->Receive(failed ? limits_.drain : limits_.idle);
            if (!data) {
                if (failed)
                    break;
                throw Error(http::ReadTimedOut);
            }
            if (data->empty()) {
                // Over TLS a reply to the close counts only when the server said goodbye:
                // anyone on the path can close a TCP connection early.
                if (reader.ReadsToClose() && connection->ClosedWithoutGoodbye())
                    throw Error(http::ClosedWithoutGoodbye);
                reader.Close();
            } else {
                reader.Feed(*data);
            }
            afterHead();
        }
    } catch (const RequestCancelled&) {
        throw;
    } catch (const std::exception&) {
        afterHead();
        // Whatever ends the drain, the player sees why the request failed.
        if (!failed)
            throw;
    }
    if (failed)
        throw Error(StatusText(reader.Head()));
    return reader.TakeBody();
}

} // namespace lexfall
