// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FormFixture.h"

#include "app/FormStyle.h"
#include "support/Records.h"

#include <random>

namespace lexfall::testing {
namespace {

// Whatever Records.dat holds, start-up completes, a game starts and letters fall, and no byte
// outside the two slots changes.
TEST(StartUpRobustness, AnyRecordFileLeavesTheGamePlayable) {
    std::mt19937 engine(20261210);
    std::uniform_int_distribution<int> byte(0, 255);
    int cases = 0;
    // Two passes: random bytes throughout, then valid records in the slots that fit.
    for (int pass = 0; pass < 2; ++pass)
        for (int length = 0; length <= 200; ++length) {
            SCOPED_TRACE(::testing::Message() << "pass " << pass << ", length " << length);
            const ScratchDir dir;
            std::string content(static_cast<std::size_t>(length), '\0');
            for (char& c : content)
                c = static_cast<char>(byte(engine));
            for (int slot = 0; pass == 1 && (slot + 1) * 45 <= length && slot < 2; ++slot)
                content.replace(static_cast<std::size_t>(slot) * 45, 45,
                                RecordBytes(ValidRecord("Keeper", 60 + slot, 20, 4)));
            dir.Put("Records.dat", content);
            dir.Put("Dict.dll", kWordlessDict);

            TestServices services;
            TForm1 form(services.For(dir.Dir()));
            EXPECT_TRUE(IsValidRecord(form.game().MyRec()));
            EXPECT_TRUE(IsValidRecord(form.game().WorldRec()));
            form.Button1Click(form.Button1);
            form.Timer1Timer();
            EXPECT_EQ(form.game().Field().Block().Row, 1) << "a letter falls";
            EXPECT_FALSE(style::OwnEnabled(form.Button1));

            const std::string after = dir.Get("Records.dat");
            if (length >= 45) {
                // The slots may be repaired; the bytes after them never change.
                ASSERT_EQ(after.size(), content.size());
                EXPECT_EQ(after.substr(90 < length ? 90 : after.size()),
                          content.substr(90 < length ? 90 : content.size()));
            } else {
                // A short file keeps its stray bytes in front of the two records appended to it.
                EXPECT_EQ(after.substr(0, content.size()), content);
            }
            ++cases;
        }
    std::printf("start-up robustness: %d record files\n", cases);
}

} // namespace
} // namespace lexfall::testing
