// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/RecordFile.h"
#include "support/Doubles.h"
#include "support/Records.h"
#include "support/ScratchDir.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <random>
#include <string>

namespace lexfall {
namespace {

namespace fs = std::filesystem;
using testing::ReadAll;
using testing::RecordBytes;

constexpr double kToday = 46366.0;
constexpr std::size_t kSlot = sizeof(TScoreRec);

// A record that passes the validity check, with random small figures and any name length byte.
TScoreRec RandomValidRecord(std::mt19937& random) {
    TScoreRec rec{};
    for (char& c : rec.NameChars)
        c = static_cast<char>(random());
    rec.NameLength = static_cast<std::uint8_t>(random());
    rec.UsedTime = static_cast<std::int32_t>(random() % 5000);
    rec.UsedLetters = static_cast<std::int32_t>(random() % 2000);
    rec.CompletedWords = static_cast<std::int32_t>(random() % 300) - 5;
    rec.Total = testing::ExpectedTotal(rec.CompletedWords, rec.UsedLetters, rec.UsedTime);
    rec.Date = 40000.0 + static_cast<double>(random() % 10000);
    return rec;
}

// Every length from 0 to 200 bytes, each with random bytes and with valid or invalid slots:
// LoadRecords completes or raises lexfall::Error, leaves two valid records, and changes no byte
// outside the two slots.
TEST(RecordFileRobustnessTest, AnyFileContentIsSurvived) {
    const testing::ScratchDir scratch;
    const fs::path& dir = scratch.Path();
    const fs::path file = dir / "Records.dat";
    std::mt19937 random(20240611);
    int cases = 0;
    int raised = 0;
    int repaired = 0;

    // Stops at the first failing file rather than repeat it for every length.
    for (std::size_t length = 0; length <= 200 && !HasFailure(); ++length) {
        for (int variant = 0; variant < 3 && !HasFailure(); ++variant) {
            SCOPED_TRACE(::testing::Message() << length << " bytes, variant " << variant);
            std::string before(length, '\0');
            for (char& c : before)
                c = static_cast<char>(random());
            // Variant 0 random only; 1 a valid slot 0; 2 valid slots where they fit.
            for (std::size_t slot = 0; slot < 2 && variant > 0; ++slot) {
                if ((slot + 1) * kSlot <= length && (variant == 2 || slot == 0))
                    before.replace(slot * kSlot, kSlot, RecordBytes(RandomValidRecord(random)));
            }
            std::ofstream(file, std::ios::binary | std::ios::trunc) << before;

            testing::RecordingDialogs dialogs;
            TScoreRec myRec{};
            TScoreRec worldRec{};
            myRec.Total = worldRec.Total = 12345; // invalid until loaded
            bool threw = false;
            bool read = false;
            try {
                LoadRecords(dir, dialogs, kToday, myRec, worldRec, read);
            } catch (const Error&) {
                threw = true;
            }
            ++cases;
            raised += threw;
            repaired += static_cast<int>(dialogs.messages.size());

            EXPECT_TRUE(IsValidRecord(myRec));
            EXPECT_TRUE(IsValidRecord(worldRec));
            EXPECT_LE(RecordName(myRec).size(), 20u);
            EXPECT_LE(RecordName(worldRec).size(), 20u);
            const std::string after = ReadAll(file);
            const std::string slots = RecordBytes(myRec) + RecordBytes(worldRec);
            if (length < kSlot) {
                // Stray bytes stay in front of the two appended records.
                EXPECT_FALSE(threw);
                EXPECT_EQ(after, before + slots);
            } else if (length < 2 * kSlot) {
                // One whole record: slot 0 as loaded or repaired, nothing else written.
                EXPECT_FALSE(threw);
                ASSERT_EQ(after.size(), length);
                EXPECT_EQ(after.substr(0, kSlot), RecordBytes(myRec));
                EXPECT_EQ(after.substr(kSlot), before.substr(kSlot));
            } else {
                EXPECT_FALSE(threw);
                ASSERT_EQ(after.size(), length);
                EXPECT_EQ(after.substr(0, 2 * kSlot), slots);
                EXPECT_EQ(after.substr(2 * kSlot), before.substr(2 * kSlot));
            }
        }
    }
    std::cout << "LoadRecords robustness: " << cases << " files, " << raised << " raised, "
              << repaired << " slot repairs\n";
    RecordProperty("cases", cases);
}

} // namespace
} // namespace lexfall
