#include "settings/SpeedField.h"

#include "platform/Error.h"
#include "settings/ProfileFile.h"
#include "settings/Settings.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace lexfall {
namespace {

std::string WithoutBlanks(const std::string& text) {
    std::string kept;
    std::copy_if(text.begin(), text.end(), std::back_inserter(kept),
                 [](char c) { return c != ' '; });
    return kept;
}

} // namespace

int SpeedArrowPosition(std::int32_t speed) {
    return std::clamp(speed, SpeedArrowMin, SpeedArrowMax);
}

std::string SpeedFieldText(std::int32_t speed) {
    const std::string digits = std::to_string(SpeedArrowPosition(speed));
    return std::string(SpeedFieldPlaces - digits.size(), ' ') + digits;
}

std::int32_t ConvertToInteger(const std::string& text) {
    const auto value = profile::ParseDecimal(text);
    if (!value)
        throw Error("'" + text + "' is not a valid integer value");
    return *value;
}

std::int16_t SpeedFromFieldText(const std::string& fieldText) {
    return KeepLow16(ConvertToInteger(WithoutBlanks(fieldText)));
}

int StepSpeedField(const std::string& fieldText, int lastPosition, bool up) {
    const int current = profile::ParseDecimal(WithoutBlanks(fieldText)).value_or(lastPosition);
    const long long stepped =
        static_cast<long long>(current) + (up ? SpeedArrowStep : -SpeedArrowStep);
    return static_cast<int>(std::clamp<long long>(stepped, SpeedArrowMin, SpeedArrowMax));
}

} // namespace lexfall
