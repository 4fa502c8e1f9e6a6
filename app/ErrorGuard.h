// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/Dialogs.h"

#include <exception>
#include <utility>

namespace lexfall {

// The default error handler: an error escaping a handler is shown with its text, and the
// program goes on. The handler that raised ends at that point.
template <typename Handler> void Guarded(Dialogs& dialogs, Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        dialogs.ShowMessage(error.what());
    }
}

} // namespace lexfall
