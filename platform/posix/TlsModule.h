// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/Network.h"

#include <chrono>
#include <string>

// GnuTLS comes with some ten more shared libraries; linked into the program they would slow
// every start, though only a records server at an https address needs them. They come instead
// with a module of their own, loaded at the first https connection. Its one entry point, looked
// up by name: TLS over plain, as TlsConnection makes it. The entry owns plain from the call on,
// and throws what TlsConnection throws; the error types are the program's own, matched by name.
extern "C" lexfall::Connection* LexfallStartTls(lexfall::Connection* plain, const std::string& host,
                                                std::chrono::milliseconds idleLimit);

namespace lexfall::posix {

inline constexpr const char* TlsModuleName = "lexfall-tls.so";
inline constexpr const char* TlsModuleEntry = "LexfallStartTls";
using StartTlsFunction = Connection* (*)(Connection* plain, const std::string& host,
                                         std::chrono::milliseconds idleLimit);

} // namespace lexfall::posix
