#pragma once
#include <cstdint>
#include <string>

namespace lexfall {

// The speed field: a masked edit "!9999;1; " (four places, digits only, empty places shown as
// blanks on the left) with up-down arrows bound to it.
constexpr int SpeedFieldPlaces = 4;
constexpr int SpeedArrowMin = 1;
constexpr int SpeedArrowMax = 9999;
constexpr int SpeedArrowStep = 10;

// The text the field shows for a speed: 750 shows " 750", 0 shows "   0". A speed the four
// digit places cannot hold (a negative one read from the file) shows the nearest arrow limit,
// so -1 shows "   1"; the setting itself is not changed by showing it.
std::string SpeedFieldText(std::int32_t speed);

// What leaving the field stores (ChangeSpeed): every blank removed, converted by text::StrToInt
// (the error names the blank-free text, also when it is empty), low 16 bits kept.
std::int16_t SpeedFromFieldText(const std::string& fieldText);

// An arrow click: the number in the field, or the arrows' last position when the field holds
// none, stepped by 10 up or down and held to 1..9999. The result is the arrows' new position.
int StepSpeedField(const std::string& fieldText, int lastPosition, bool up);

} // namespace lexfall
