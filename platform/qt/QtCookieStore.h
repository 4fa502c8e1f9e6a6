#pragma once
#include "platform/CookieStore.h"

#include <QNetworkCookieJar>

namespace lexfall {

// The run's cookies in Qt's jar, which parses the headers and matches domain, path and expiry
// by the usual rules. Nothing is written to disk.
class QtCookieStore final : public CookieStore {
public:
    void Store(const std::string& url, const std::vector<std::string>& setCookies) override;
    std::string CookieHeader(const std::string& url) override;

private:
    QNetworkCookieJar jar_;
};

} // namespace lexfall
