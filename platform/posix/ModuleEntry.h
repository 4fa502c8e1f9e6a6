// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace lexfall::posix {

// Loads the shared module at path and looks up its entry function by name: null when the module
// cannot be loaded or has no such entry. A loaded module is never unloaded, since objects made
// by its entry keep their code in it for the rest of the run.
void* LoadModuleEntry(const std::string& path, const char* entryName);
// The same, with the loader's reason in why when the result is null.
void* LoadModuleEntry(const std::string& path, const char* entryName, std::string& why);

} // namespace lexfall::posix
