// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/Dialogs.h"

#include <stdexcept>
#include <string>

namespace lexfall {

// For programs with nobody to answer (build tools, benchmarks): any box is a fault.
class ThrowingDialogs final : public Dialogs {
public:
    void ShowMessage(const std::string& text) override { throw std::runtime_error(text); }
    bool Confirm(const std::string& question) override { throw std::runtime_error(question); }
};

} // namespace lexfall
