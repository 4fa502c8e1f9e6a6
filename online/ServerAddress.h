#pragma once

// Where the game's online side points: the records server, the product's web site and its
// support mail, which the messages and the about box name.
namespace lexfall {

inline constexpr const char* WebSite = "https://lexfall.example.org/";
inline constexpr const char* SupportMail = "support@lexfall.example.org";

} // namespace lexfall
