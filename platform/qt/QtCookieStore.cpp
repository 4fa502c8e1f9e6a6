// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/QtCookieStore.h"

#include <QNetworkCookie>
#include <QUrl>

#include <algorithm>

namespace lexfall {
namespace {

QUrl ToUrl(const std::string& url) {
    return QUrl(QString::fromLatin1(url.c_str()), QUrl::TolerantMode);
}

// Whether the jar would send cookie to host: its own host, or a domain above it.
bool BelongsTo(const QNetworkCookie& cookie, const QString& host) {
    QString domain = cookie.domain();
    if (domain.startsWith(QLatin1Char('.')))
        domain.remove(0, 1);
    return host.compare(domain, Qt::CaseInsensitive) == 0 ||
           host.endsWith(QLatin1Char('.') + domain, Qt::CaseInsensitive);
}

bool SameCookie(const QNetworkCookie& a, const QNetworkCookie& b) {
    return a.name() == b.name() && a.path() == b.path() &&
           a.domain().compare(b.domain(), Qt::CaseInsensitive) == 0;
}

} // namespace

void QtCookieStore::Store(const std::string& url, const std::vector<std::string>& setCookies) {
    const QUrl target = ToUrl(url);
    const QString host = target.host();
    std::size_t taken = 0;
    for (const std::string& header : setCookies) {
        if (++taken > CookieLimits::kPerReply)
            break;
        for (const QNetworkCookie& cookie :
             QNetworkCookie::parseCookies(QByteArray::fromStdString(header))) {
            // The domain and path as the jar keeps them, to tell a change from a new cookie.
            QNetworkCookie normalized = cookie;
            normalized.normalize(target);
            // A cookie that replaces one already kept never counts against the limit.
            const QList<QNetworkCookie> kept = jar_.allCookies();
            const auto mine = std::count_if(kept.begin(), kept.end(),
                                            [&](const auto& c) { return BelongsTo(c, host); });
            const bool replaces = std::any_of(
                kept.begin(), kept.end(), [&](const auto& c) { return SameCookie(c, normalized); });
            if (replaces || static_cast<std::size_t>(mine) < CookieLimits::kPerServer)
                jar_.setCookiesFromUrl({cookie}, target);
        }
    }
}

std::string QtCookieStore::CookieHeader(const std::string& url) {
    std::string header;
    for (const QNetworkCookie& cookie : jar_.cookiesForUrl(ToUrl(url))) {
        const std::string pair = cookie.toRawForm(QNetworkCookie::NameAndValueOnly).toStdString();
        const std::size_t added = (header.empty() ? 0 : 2) + pair.size();
        if (header.size() + added > CookieLimits::kHeaderBytes)
            continue;
        if (!header.empty())
            header += "; ";
        header += pair;
    }
    return header;
}

} // namespace lexfall
