#include "settings/SpeedField.h"

#include "platform/Error.h"
#include "settings/Settings.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <optional>
#include <string_view>

namespace lexfall {
namespace {

std::string WithoutBlanks(const std::string& text) {
    std::string kept;
    std::copy_if(text.begin(), text.end(), std::back_inserter(kept),
                 [](char c) { return c != ' '; });
    return kept;
}

std::optional<std::int32_t> ParseDecimal(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() == '-')
            return std::nullopt;
    }
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

std::string SpeedFieldText(std::int32_t speed) {
    const std::int32_t shown = speed < 0 ? SpeedArrowMin : std::min(speed, SpeedArrowMax);
    const std::string digits = std::to_string(shown);
    return std::string(SpeedFieldPlaces - digits.size(), ' ') + digits;
}

std::int32_t ConvertToInteger(const std::string& text) {
    const auto value = ParseDecimal(text);
    if (!value)
        throw Error("'" + text + "' is not a valid integer value");
    return *value;
}

std::int16_t SpeedFromFieldText(const std::string& fieldText) {
    return KeepLow16(ConvertToInteger(WithoutBlanks(fieldText)));
}

int StepSpeedField(const std::string& fieldText, int lastPosition, bool up) {
    const int current = ParseDecimal(WithoutBlanks(fieldText)).value_or(lastPosition);
    const long long stepped =
        static_cast<long long>(current) + (up ? SpeedArrowStep : -SpeedArrowStep);
    return static_cast<int>(std::clamp<long long>(stepped, SpeedArrowMin, SpeedArrowMax));
}

} // namespace lexfall
