// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/RequestLine.h"

namespace lexfall::server {

std::string MendRequestLine(std::string_view line) {
    const std::size_t first = line.find(' ');
    const std::size_t last = line.rfind(' ');
    if (first == std::string_view::npos || first == last)
        return std::string(line);
    std::string mended(line.substr(0, first + 1));
    bool queryStarted = false;
    for (char c : line.substr(first + 1, last - first - 1)) {
        if (c == ' ')
            mended += "%20";
        else if (c == '?' && queryStarted)
            mended += "%3F";
        else
            mended += c;
        queryStarted = queryStarted || c == '?';
    }
    mended += line.substr(last);
    return mended;
}

} // namespace lexfall::server
