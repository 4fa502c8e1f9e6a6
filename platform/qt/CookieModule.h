// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/CookieStore.h"

// Qt's cookie jar comes with Qt Network and, through it, some ten more shared libraries; linked
// into the program they would slow every start for a store that only the records server's
// requests use. They come instead with a module of their own, loaded at the first request. Its
// one entry point, looked up by name: a new, empty cookie store.
extern "C" lexfall::CookieStore* LexfallNewCookieStore();

namespace lexfall {

inline constexpr const char* CookieModuleName = "lexfall-cookies.so";
inline constexpr const char* CookieModuleEntry = "LexfallNewCookieStore";
using NewCookieStoreFunction = CookieStore* (*)();

} // namespace lexfall
