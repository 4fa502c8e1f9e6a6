// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game puts query values on the request line unencoded, so a name with a blank, or a date
// with a "?", arrives as "GET /putmyrec.asp?u=Ann Lee&... HTTP/1.1", which a strict HTTP
// parser refuses. This escapes those characters inside the target before the parser sees it.
#include <string>
#include <string_view>

namespace lexfall::server {

// line is one request line without its line end. The method runs to the first blank and the
// version from the last; in the target between them blanks become %20 and every "?" after the
// first becomes %3F. A line without two blanks comes back unchanged.
std::string MendRequestLine(std::string_view line);

} // namespace lexfall::server
