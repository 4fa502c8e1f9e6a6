#include "app/AudioModuleLoader.h"

#include "media/sdl/AudioModule.h"

#include <dlfcn.h>

namespace lexfall {

std::unique_ptr<Sound> OpenAudioModule(const std::string& moduleDir, const std::string& dataDir) {
    void* module = dlopen((moduleDir + AudioModuleName).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr)
        return nullptr;
    const auto open = reinterpret_cast<OpenAudioFunction>(dlsym(module, AudioModuleEntry));
    if (open == nullptr)
        return nullptr;
    return std::unique_ptr<Sound>(open(dataDir.c_str()));
}

} // namespace lexfall
