// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where the game's online side points: the records server, the product's web site and its
// support mail, which the messages and the about box name.
namespace lexfall {

// The records server's base address; a player may point the game elsewhere with Server= in
// section Register of the settings file.
inline constexpr const char* ServerBase = "http://records.lexfall.example.org/";

inline constexpr const char* WebSite = "https://lexfall.example.org/";
inline constexpr const char* SupportMail = "support@lexfall.example.org";

} // namespace lexfall
