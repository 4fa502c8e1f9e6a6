#include "platform/posix/ModuleEntry.h"

#include <dlfcn.h>

namespace lexfall::posix {

void* LoadModuleEntry(const std::string& path, const char* entryName) {
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr)
        return nullptr;
    return dlsym(module, entryName);
}

} // namespace lexfall::posix
