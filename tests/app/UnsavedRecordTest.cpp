// SPDX-License-Identifier: GPL-3.0-or-later
// A new record that has not been saved is asked about before a new game or closing drops it,
// and only then.
#include "support/FormFixture.h"
#include "support/Records.h"

#include "app/FormStyle.h"

namespace lexfall::testing {
namespace {

const std::string kQuestion =
    "Your last game is a new record that has not been saved. Save it now?";

const TScoreRec kMine = ValidRecord("Alice", 30, 10, 2);  // total 194
const TScoreRec kWorld = ValidRecord("Bob", 300, 40, 10); // total 3010

enum class Before { Nothing, SaveRecPressed, AutoSave, Cheated, NoRecord };
enum class Then { Start, Close };
using Answer = Dialogs::Answer;

struct Case {
    const char* name;
    Before before;
    Then then;
    Answer answer;
    bool asked;
    bool saved;  // slot 0 holds the game afterwards
    bool goesOn; // the new game runs, or the window closes
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class UnsavedRecord : public FormTest, public ::testing::WithParamInterface<Case> {
protected:
    void PrepareAppDir(const QString&) override {
        dir.Put("Dict.dll", kWordlessDict);
        LayRecordFile(RecordBytes(kMine) + RecordBytes(kWorld));
        if (GetParam().before == Before::AutoSave)
            dir.Put("Lexfall.ini", "[Options]\r\nAutoSave=1\r\n");
    }

    // A game of total 489 (beats 194), or of total 0 for NoRecord.
    void Play(Before before) {
        TForm1& f = Form();
        f.Button1Click(f.Button1);
        if (before == Before::Cheated)
            f.FormKeyDown(vk::Delete, {.shift = true});
        f.SetUpGame().FiguresToSetUp().UsedTime = before == Before::NoRecord ? 0 : 40;
        f.SetUpGame().FiguresToSetUp().UsedLetters = before == Before::NoRecord ? 0 : 14;
        f.SetUpGame().FiguresToSetUp().CompletedWords = before == Before::NoRecord ? 0 : 3;
        f.SetUpGame().PutLetter(3, 1, 'E');
        f.Timer1Timer();
        ASSERT_FALSE(f.GameRunning());
    }
};

TEST_P(UnsavedRecord, AskedOnlyWhenALastRecordWouldBeLost) {
    const Case& c = GetParam();
    TForm1& f = Form();
    f.show();
    Play(c.before);
    if (c.before == Before::SaveRecPressed)
        f.Button8Click(f.Records().Button8);
    const std::string game = RecordBytes(f.game().GameRec());
    const std::string fileBefore = RecordsBytes();
    dialogs.questions.clear();
    dialogs.answer = c.answer != Answer::No;
    dialogs.threeWay = c.answer;

    bool wentOn = false;
    if (c.then == Then::Start) {
        f.Button1Click(f.Button1);
        wentOn = f.GameRunning();
    } else {
        wentOn = f.close();
    }
    EXPECT_EQ(dialogs.questions,
              c.asked ? std::vector<std::string>{kQuestion} : std::vector<std::string>{});
    if (c.saved)
        EXPECT_EQ(RecordsBytes(), game + RecordBytes(kWorld));
    else
        EXPECT_EQ(RecordsBytes(), fileBefore);
    EXPECT_EQ(wentOn, c.goesOn);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front();
}

INSTANTIATE_TEST_SUITE_P(
    UnsavedRecord, UnsavedRecord,
    ::testing::Values(
        Case{"StartYesSavesThenStarts", Before::Nothing, Then::Start, Answer::Yes, true, true,
             true},
        Case{"StartNoStartsWithoutSaving", Before::Nothing, Then::Start, Answer::No, true, false,
             true},
        Case{"CloseYesSavesThenCloses", Before::Nothing, Then::Close, Answer::Yes, true, true,
             true},
        Case{"CloseNoCloses", Before::Nothing, Then::Close, Answer::No, true, false, true},
        Case{"CloseCancelStays", Before::Nothing, Then::Close, Answer::Cancel, true, false, false},
        // Nothing is asked in any other case.
        Case{"SavedWithSaveRec", Before::SaveRecPressed, Then::Close, Answer::Cancel, false, true,
             true},
        Case{"SavedAutomatically", Before::AutoSave, Then::Start, Answer::No, false, true, true},
        Case{"CheatedNeverSaved", Before::Cheated, Then::Close, Answer::Cancel, false, false, true},
        Case{"NoNewRecord", Before::NoRecord, Then::Start, Answer::Cancel, false, false, true}),
    [](const ::testing::TestParamInfo<Case>& test) { return test.param.name; });

} // namespace
} // namespace lexfall::testing
