// SPDX-License-Identifier: GPL-3.0-or-later
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

// Where the arrows stand for a speed: the nearest value of their range, as an up-down control
// holds a position it is given.
int SpeedArrowPosition(std::int32_t speed);

// The text the field shows for a speed: the arrows' position in four places, blanks on the
// left, so 750 shows " 750" and 0 or -1 show "   1". The setting itself is not changed by
// showing it.
std::string SpeedFieldText(std::int32_t speed);

// What leaving the field stores (ChangeSpeed): every blank removed, converted by text::StrToInt
// (the error names the blank-free text, also when it is empty), low 16 bits kept.
std::int16_t SpeedFromFieldText(const std::string& fieldText);

// An arrow click: the number in the field, or the arrows' last position when the field holds
// none, stepped by 10 up or down and held to 1..9999. The result is the arrows' new position.
int StepSpeedField(const std::string& fieldText, int lastPosition, bool up);

} // namespace lexfall
