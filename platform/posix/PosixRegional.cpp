// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Regional.h"

#include "text/SystemText.h"

#include <clocale>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>

namespace lexfall {
namespace {

// The locale's strings are in the locale's own encoding; the game's text is UTF-8.
std::string ToUtf8(const char* text, const char* codeset) {
    if (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "ANSI_X3.4-1968") == 0)
        return text;
    iconv_t convert = iconv_open("UTF-8", codeset);
    if (convert == reinterpret_cast<iconv_t>(-1))
        return ShownUtf8(text);
    std::string in(text);
    std::string out(in.size() * 4 + 4, '\0');
    char* from = in.data();
    std::size_t fromLeft = in.size();
    char* to = out.data();
    std::size_t toLeft = out.size();
    const bool converted =
        iconv(convert, &from, &fromLeft, &to, &toLeft) != static_cast<std::size_t>(-1);
    iconv_close(convert);
    if (!converted)
        return ShownUtf8(text);
    out.resize(out.size() - toLeft);
    return out;
}

} // namespace

RegionalSettings ReadRegionalSettings(const std::string& localeName) {
    RegionalSettings regional;
    // Query the locale without switching the program's own C locale. LC_CTYPE names the
    // encoding the other categories' strings are in.
    locale_t locale = newlocale(LC_CTYPE_MASK | LC_NUMERIC_MASK | LC_TIME_MASK, localeName.c_str(),
                                static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0))
        return regional;
    const char* codeset = nl_langinfo_l(CODESET, locale);
    const char* decimal = nl_langinfo_l(RADIXCHAR, locale);
    const char* thousands = nl_langinfo_l(THOUSEP, locale);
    const char* dateFormat = nl_langinfo_l(D_FMT, locale);
    if (decimal && *decimal)
        regional.decimalSeparator = ToUtf8(decimal, codeset);
    regional.thousandSeparator = thousands ? ToUtf8(thousands, codeset) : "";
    if (dateFormat && *dateFormat)
        regional.shortDateFormat = ToUtf8(dateFormat, codeset);
    freelocale(locale);
    return regional;
}

RegionalSettings ReadSystemRegionalSettings() {
    return ReadRegionalSettings("");
}

} // namespace lexfall
