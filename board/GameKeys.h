// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace lexfall {

// Virtual-key codes of the game's keys.
namespace vk {
constexpr int Space = 0x20;
constexpr int Left = 0x25;
constexpr int Up = 0x26;
constexpr int Right = 0x27;
constexpr int Down = 0x28;
constexpr int Delete = 0x2E;
constexpr int Numpad7 = 0x67;
constexpr int Numpad8 = 0x68;
constexpr int Numpad9 = 0x69;
constexpr int Pause = 0x13;
constexpr int P = 0x50;
} // namespace vk

enum class KeyAction { None, HardDrop, MoveLeft, MoveRight, Swap, ClearBoard, Pause };

struct ShiftState {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

// What a key does during a game. The groups are tested in order, so numeric pad 8 (the middle
// of 7 = left and 9 = right) drops.
KeyAction ActionForKey(int virtualKey, ShiftState shiftState);

} // namespace lexfall
