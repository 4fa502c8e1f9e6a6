// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A folder of its own for each record file test, with Records.dat laid and read back whole.
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace lexfall::testing {

class RecordFileFixture : public ::testing::Test {
protected:
    void WriteFile(const std::string& bytes) const { scratch_.Put("Records.dat", bytes); }
    std::string ReadFile() const { return scratch_.Get("Records.dat"); }

    ScratchDir scratch_;
    std::filesystem::path dir_ = scratch_.Path(); // the program folder a test hands on
    const std::filesystem::path file_ = scratch_.Path() / "Records.dat";
};

} // namespace lexfall::testing
