// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/CookieStore.h"

#include <memory>
#include <string>

namespace lexfall {

// The run's cookie store, made at the first request: the cookie module is loaded from
// moduleDir then, not at start-up. Without the module the run keeps no cookies.
class LazyCookieStore final : public CookieStore {
public:
    // An empty moduleDir: the module folder of the running program's copy.
    explicit LazyCookieStore(std::string moduleDir = {}) : moduleDir_(std::move(moduleDir)) {}

    void Store(const std::string& url, const std::vector<std::string>& setCookies) override;
    std::string CookieHeader(const std::string& url) override;

    // Whether the store has been made yet.
    bool Made() const { return store_ != nullptr; }

private:
    CookieStore& Get();

    std::string moduleDir_;
    std::unique_ptr<CookieStore> store_;
};

} // namespace lexfall
