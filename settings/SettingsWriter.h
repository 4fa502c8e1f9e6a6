// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "settings/Settings.h"

#include <optional>
#include <string>
#include <utility>

namespace lexfall {

// The window's one writer of the settings file. One change on the options page can run
// several handlers (a tick that fills a field whose own handler writes too); a Batch open
// around the change holds their writes and makes them one write of the file when it closes.
class SettingsWriter {
public:
    explicit SettingsWriter(std::string path) : path_(std::move(path)) {}

    // WriteIni now, or, while a Batch is open, when the outermost one closes.
    void Write(const Settings& settings);

    // Open one around every handler of the options page (batches nest; only the outermost
    // writes). Its end writes the last settings given, once; a refusal throws from there,
    // unless the batch ends by another error, which is then the one the player sees.
    class Batch {
    public:
        explicit Batch(SettingsWriter& writer);
        ~Batch() noexcept(false);
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        SettingsWriter& writer_;
        int uncaught_;
    };

private:
    std::string path_;
    int depth_ = 0;
    std::optional<Settings> pending_;
};

} // namespace lexfall
