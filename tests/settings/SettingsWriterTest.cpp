// SPDX-License-Identifier: GPL-3.0-or-later
// One change of the options page is one write of the settings file, however many handlers it
// runs.
#include "settings/SettingsWriter.h"
#include "settings/SettingsFile.h"
#include "support/ScratchDir.h"
#include "support/Settings.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace lexfall {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;
using testing::WithMusic;

// What WriteIni makes of settings written into a new file.
std::string Written(const Settings& settings) {
    ScratchDir scratch;
    WriteIni(scratch.File(SettingsFileName), settings);
    return scratch.Get(SettingsFileName);
}

// Writes inside a batch wait for the outermost one to close, then go out once, with the last
// settings given.
TEST(SettingsWriterTest, BatchWritesOnceAtItsEnd) {
    ScratchDir dir;
    const std::string path = dir.File(SettingsFileName);
    SettingsWriter writer(path);
    const Settings first = WithMusic("a.mid", 600, true);
    const Settings last = WithMusic("b.mid", 700, false);
    {
        const SettingsWriter::Batch outer(writer);
        writer.Write(first);
        {
            const SettingsWriter::Batch inner(writer);
            writer.Write(last);
        }
        EXPECT_FALSE(fs::exists(path)) << "written before the outermost batch closed";
    }
    EXPECT_EQ(dir.Get(SettingsFileName), Written(last));

    writer.Write(first); // no batch: at once
    EXPECT_EQ(dir.Get(SettingsFileName), Written(first));
}

// A refusal at the end of a batch reaches the caller; a batch ended by another error still
// stores what was changed, and that other error is the one that comes through.
TEST(SettingsWriterTest, BatchEndReportsRefusalOrKeepsTheFirstError) {
    ScratchDir dir;
    SettingsWriter nowhere(dir.File("missing/Lexfall.ini"));
    EXPECT_THROW(
        {
            const SettingsWriter::Batch batch(nowhere);
            nowhere.Write(Settings{});
        },
        Error);

    SettingsWriter writer(dir.File(SettingsFileName));
    EXPECT_THROW(
        {
            const SettingsWriter::Batch batch(writer);
            writer.Write(WithMusic("a.mid", 600, true));
            throw std::runtime_error("the handler failed");
        },
        std::runtime_error);
    EXPECT_EQ(dir.Get(SettingsFileName), Written(WithMusic("a.mid", 600, true)));
    EXPECT_THROW(
        {
            const SettingsWriter::Batch batch(nowhere);
            nowhere.Write(Settings{});
            throw std::runtime_error("the handler failed");
        },
        std::runtime_error);
}

} // namespace
} // namespace lexfall
