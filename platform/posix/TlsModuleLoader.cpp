// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/TlsModuleLoader.h"

#include "platform/posix/ModuleEntry.h"
#include "platform/posix/TlsModule.h"

#include <memory>
#include <mutex>

namespace lexfall::posix {
namespace {

// Shared by the copies of the start function; requests may run on several threads.
struct LoadedModule {
    std::string path;
    std::mutex mutex;
    StartTlsFunction start = nullptr;

    StartTlsFunction Start(const std::string& host) {
        const std::lock_guard lock(mutex);
        if (start == nullptr) {
            std::string why;
            start = reinterpret_cast<StartTlsFunction>(LoadModuleEntry(path, TlsModuleEntry, why));
            if (start == nullptr)
                throw Error("The TLS handshake with " + host + " failed: " + why);
        }
        return start;
    }
};

} // namespace

PosixNetwork::TlsStart TlsFromModule(std::string moduleDir) {
    auto module = std::make_shared<LoadedModule>();
    module->path = std::move(moduleDir) + TlsModuleName;
    return [module](std::unique_ptr<Connection> plain, const std::string& host,
                    std::chrono::milliseconds idleLimit) {
        const StartTlsFunction start = module->Start(host);
        return std::unique_ptr<Connection>(start(plain.release(), host, idleLimit));
    };
}

} // namespace lexfall::posix
