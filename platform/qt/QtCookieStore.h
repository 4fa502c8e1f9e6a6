// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/CookieStore.h"

#include <QNetworkCookieJar>

namespace lexfall {

// The run's cookies in Qt's jar, which parses the headers and matches domain, path and expiry
// by the usual rules, held to CookieLimits. Nothing is written to disk.
class QtCookieStore final : public CookieStore {
public:
    void Store(const std::string& url, const std::vector<std::string>& setCookies) override;
    std::string CookieHeader(const std::string& url) override;

private:
    // The jar's whole list is protected; the per-server count needs it.
    class Jar final : public QNetworkCookieJar {
    public:
        using QNetworkCookieJar::allCookies;
    };

    Jar jar_;
};

} // namespace lexfall
