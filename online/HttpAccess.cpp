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

} // namespace

std::string HttpAccess::HttpGet(const std::string& url) {
    const HttpUrl target = SplitUrl(url);
    ProxyParams route = proxy;
    if (route.InUse() && BypassesProxy(target.host, route.noProxy))
        route = ProxyParams{};
    std::string host = route.InUse() ? route.host : target.host;
    const std::uint16_t port = route.InUse() ? route.ConnectPort() : target.port;
    if (text::EqualNoCase(host, "localhost"))
        host = "127.0.0.1";
    const std::string cookieUrl = CookieUrl(target);

    const auto connection = network_.Connect(host, port, limits_.connect);
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
            if (data->empty())
                reader.Close();
            else
                reader.Feed(*data);
            afterHead();
        }
    } catch (const std::exception&) {
        afterHead();
        // Whatever ends the drain, the player sees why the request failed.
        if (!failed)
            throw;
    }
    if (failed) {
        // A reply that opens with an empty line has no status line to show.
        const std::string& status = reader.Head().statusLine;
        throw Error(status.find_first_not_of(" \t") == std::string::npos
                        ? std::string(http::NoStatusLine)
                        : status);
    }
    return reader.TakeBody();
}

} // namespace lexfall
