// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsWriter.h"

#include "settings/SettingsFile.h"

#include <exception>

namespace lexfall {

void SettingsWriter::Write(const Settings& settings) {
    if (depth_ > 0) {
        pending_ = settings;
        return;
    }
    WriteIni(path_, settings);
}

SettingsWriter::Batch::Batch(SettingsWriter& writer)
    : writer_(writer), uncaught_(std::uncaught_exceptions()) {
    ++writer_.depth_;
}

SettingsWriter::Batch::~Batch() noexcept(false) {
    if (--writer_.depth_ > 0 || !writer_.pending_)
        return;
    const Settings settings = std::move(*writer_.pending_);
    writer_.pending_.reset();
    if (std::uncaught_exceptions() == uncaught_) {
        WriteIni(writer_.path_, settings);
        return;
    }
    // Unwinding already: what the handler changed before it failed is still stored, as it
    // was when each write went out at once, but a second error must not end the program.
    try {
        WriteIni(writer_.path_, settings);
    } catch (...) {
    }
}

} // namespace lexfall
