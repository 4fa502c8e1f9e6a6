// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/ModuleEntry.h"

#include <dlfcn.h>

namespace lexfall::posix {

void* LoadModuleEntry(const std::string& path, const char* entryName) {
    std::string why;
    return LoadModuleEntry(path, entryName, why);
}

void* LoadModuleEntry(const std::string& path, const char* entryName, std::string& why) {
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    void* entry = module != nullptr ? dlsym(module, entryName) : nullptr;
    if (entry == nullptr) {
        const char* error = dlerror();
        why = error != nullptr ? error : path + ": no entry " + entryName;
    }
    return entry;
}

} // namespace lexfall::posix
