// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SpeedField.h"

#include "settings/Settings.h"
#include "text/Text.h"

#include <algorithm>

namespace lexfall {

int SpeedArrowPosition(std::int32_t speed) {
    return std::clamp(speed, SpeedArrowMin, SpeedArrowMax);
}

std::string SpeedFieldText(std::int32_t speed) {
    const std::string digits = std::to_string(SpeedArrowPosition(speed));
    return std::string(SpeedFieldPlaces - digits.size(), ' ') + digits;
}

std::int16_t SpeedFromFieldText(const std::string& fieldText) {
    return KeepLow16(text::StrToInt(text::RemoveBlanks(fieldText)));
}

int StepSpeedField(const std::string& fieldText, int lastPosition, bool up) {
    const int current = text::ParseDecimal(text::RemoveBlanks(fieldText)).value_or(lastPosition);
    const long long stepped =
        static_cast<long long>(current) + (up ? SpeedArrowStep : -SpeedArrowStep);
    return static_cast<int>(std::clamp<long long>(stepped, SpeedArrowMin, SpeedArrowMax));
}

} // namespace lexfall
