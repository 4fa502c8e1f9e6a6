#include "platform/qt/QtCookieStore.h"

#include <QNetworkCookie>
#include <QUrl>

namespace lexfall {
namespace {

QUrl ToUrl(const std::string& url) {
    return QUrl(QString::fromLatin1(url.c_str()), QUrl::TolerantMode);
}

} // namespace

void QtCookieStore::Store(const std::string& url, const std::vector<std::string>& setCookies) {
    QList<QNetworkCookie> cookies;
    for (const std::string& header : setCookies)
        cookies += QNetworkCookie::parseCookies(QByteArray::fromStdString(header));
    if (!cookies.isEmpty())
        jar_.setCookiesFromUrl(cookies, ToUrl(url));
}

std::string QtCookieStore::CookieHeader(const std::string& url) {
    std::string header;
    for (const QNetworkCookie& cookie : jar_.cookiesForUrl(ToUrl(url))) {
        if (!header.empty())
            header += "; ";
        header += cookie.toRawForm(QNetworkCookie::NameAndValueOnly).toStdString();
    }
    return header;
}

} // namespace lexfall
