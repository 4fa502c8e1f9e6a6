// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/GameKeys.h"

namespace lexfall {

KeyAction ActionForKey(int virtualKey, ShiftState shiftState) {
    switch (virtualKey) {
    case vk::Down:
    case vk::Space:
    case vk::Numpad8:
        return KeyAction::HardDrop;
    case vk::Left:
    case vk::Numpad7:
        return KeyAction::MoveLeft;
    case vk::Right:
    case vk::Numpad9:
        return KeyAction::MoveRight;
    case vk::Up:
        return KeyAction::Swap;
    case vk::P:
    case vk::Pause:
        return KeyAction::Pause;
    case vk::Delete:
        if (shiftState.shift && !shiftState.ctrl && !shiftState.alt)
            return KeyAction::ClearBoard;
        return KeyAction::None;
    default:
        return KeyAction::None;
    }
}

} // namespace lexfall
