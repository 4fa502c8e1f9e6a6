// SPDX-License-Identifier: GPL-3.0-or-later
// Start without a dictionary, through the window.
#include "support/FormFixture.h"

#include <algorithm>
#include <filesystem>

namespace lexfall::testing {
namespace {

// Every Start says the dictionary is missing and where it was looked for, once per game
// however many letters enter; the game runs without words and nothing is created.
TEST_F(FormTest, MissingDictionaryIsReportedAtEveryStartAndNeverCreated) {
    TForm1& f = Form();
    const std::string missing =
        "Can not find dictionary, please re_install Lexfall.\n" + appDir + "Dict.dll";
    for (int game = 1; game <= 2; ++game) {
        f.Button1Click(f.Button1);
        ASSERT_TRUE(f.GameRunning());
        TickUntilLanded(); // the next letter enters and opens the dictionary again
        EXPECT_EQ(std::count(dialogs.messages.begin(), dialogs.messages.end(), missing), game);
        // The entered letter cannot leave the top row: the game ends at the next drop tick.
        f.SetUpGame().PutLetter(3, 1, 'E');
        f.Timer1Timer();
        ASSERT_FALSE(f.GameRunning());
    }
    EXPECT_FALSE(std::filesystem::exists(appDir + "Dict.dll"));
}

} // namespace
} // namespace lexfall::testing
