// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AudioModuleLoader.h"

#include "media/sdl/AudioModule.h"
#include "platform/posix/ModuleEntry.h"

namespace lexfall {

std::unique_ptr<Sound> OpenAudioModule(const std::string& moduleDir, const std::string& dataDir) {
    const auto open = reinterpret_cast<OpenAudioFunction>(
        posix::LoadModuleEntry(moduleDir + AudioModuleName, AudioModuleEntry));
    if (open == nullptr)
        return nullptr;
    return std::unique_ptr<Sound>(open(dataDir.c_str()));
}

} // namespace lexfall
