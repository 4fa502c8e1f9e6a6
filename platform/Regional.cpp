#include "platform/Regional.h"

#include <clocale>
#include <langinfo.h>

namespace lexfall {

RegionalSettings ReadSystemRegionalSettings() {
    RegionalSettings regional;
    // Query the environment's locale without switching the program's own C locale.
    locale_t locale = newlocale(LC_NUMERIC_MASK | LC_TIME_MASK, "", static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0))
        return regional;
    const char* decimal = nl_langinfo_l(RADIXCHAR, locale);
    const char* thousands = nl_langinfo_l(THOUSEP, locale);
    const char* dateFormat = nl_langinfo_l(D_FMT, locale);
    if (decimal && *decimal)
        regional.decimalSeparator = decimal;
    regional.thousandSeparator = thousands ? thousands : "";
    if (dateFormat && *dateFormat)
        regional.shortDateFormat = dateFormat;
    freelocale(locale);
    return regional;
}

} // namespace lexfall
