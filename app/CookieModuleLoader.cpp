// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CookieModuleLoader.h"

#include "app/FolderSearch.h"
#include "platform/posix/ModuleEntry.h"
#include "platform/qt/CookieModule.h"

#include <QCoreApplication>

namespace lexfall {
namespace {

// The module stays loaded for the rest of the run, since the store's code lives in it.
std::unique_ptr<CookieStore> LoadCookieModule(const std::string& moduleDir) {
    const auto make = reinterpret_cast<NewCookieStoreFunction>(
        posix::LoadModuleEntry(moduleDir + CookieModuleName, CookieModuleEntry));
    return make != nullptr ? std::unique_ptr<CookieStore>(make()) : nullptr;
}

} // namespace

CookieStore& LazyCookieStore::Get() {
    if (!store_) {
        if (moduleDir_.empty())
            moduleDir_ = FindGameFolders(QCoreApplication::applicationDirPath()).moduleDir;
        store_ = LoadCookieModule(moduleDir_);
        if (!store_)
            store_ = std::make_unique<NoCookies>();
    }
    return *store_;
}

void LazyCookieStore::Store(const std::string& url, const std::vector<std::string>& setCookies) {
    Get().Store(url, setCookies);
}

std::string LazyCookieStore::CookieHeader(const std::string& url) {
    return Get().CookieHeader(url);
}

} // namespace lexfall
