// SPDX-License-Identifier: GPL-3.0-or-later
// The player's records are never lost: not to a record file that could not be read, not to a
// second copy of the game, not to a device in the file's place.
#include "support/FormFixture.h"
#include "support/Records.h"

#include "app/FormStyle.h"
#include "records/ScoreRec.h"

#include <filesystem>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace lexfall::testing {
namespace {

namespace fs = std::filesystem;

const std::string kSavedAutomatically = "The new record has been saved automatically.";
const std::string kUnreadSave = "Not saved: your record file could not be read.";
const std::string kUnread = "Your record file could not be read.";
const std::string kSaveQuestion = "Save your current game score as your record, are you sure?";

const TScoreRec kStored = ValidRecord("Alice", 300, 200, 30); // total 48630
const TScoreRec kWorld = ValidRecord("Bob", 300, 40, 10);     // total 3010

// Holds the record file as another program would, until destroyed.
class HeldFile {
public:
    explicit HeldFile(const std::string& path) : fd_(::open(path.c_str(), O_RDWR)) {
        EXPECT_EQ(::flock(fd_, LOCK_EX | LOCK_NB), 0);
    }
    ~HeldFile() { Release(); }
    void Release() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

private:
    int fd_;
};

class RecordsKept : public FormTest {
protected:
    void PrepareAppDir(const QString&) override {
        dir.Put("Dict.dll", kWordlessDict);
        LayRecordFile(RecordBytes(kStored) + RecordBytes(kWorld));
    }

    void AutoSaveOn() { dir.Put("Lexfall.ini", "[Options]\r\nAutoSave=1\r\n"); }

    // Plays a game on f that ends with these figures.
    static void Play(TForm1& f, std::int32_t time, std::int32_t letters, std::int32_t words) {
        f.Button1Click(f.Button1);
        f.SetUpGame().FiguresToSetUp().UsedTime = time;
        f.SetUpGame().FiguresToSetUp().UsedLetters = letters - 1;
        f.SetUpGame().FiguresToSetUp().CompletedWords = words;
        f.SetUpGame().PutLetter(3, 1, 'E');
        f.Timer1Timer();
        ASSERT_FALSE(f.GameRunning());
    }
};

// A record file held by another program at start-up, then a one-word game with AutoSave: the
// end of the game reads the records again and compares with them. While the file stays held,
// the game is measured against the cleared records shown, and it is only offered for saving,
// never saved unseen. Either way slot 0 keeps its total of 48630.
class HeldAtStartUp : public RecordsKept, public ::testing::WithParamInterface<bool> {};

TEST_P(HeldAtStartUp, OneWordGameWithAutoSaveKeepsTheStoredRecord) {
    const bool stillHeld = GetParam();
    AutoSaveOn();
    const std::string stored = RecordsBytes();
    HeldFile held(RecordsPath());
    TForm1& f = Form();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find("Records.dat"), std::string::npos);
    if (!stillHeld)
        held.Release();

    Play(f, 10, 5, 1); // total 73
    EXPECT_EQ(RecordsBytes(), stored);
    EXPECT_EQ(f.BrokenText().find(kSavedAutomatically), std::string::npos) << f.BrokenText();
    EXPECT_EQ(dialogs.messages.size(), 1u) << dialogs.messages.back();
    if (stillHeld) {
        EXPECT_EQ(f.BrokenText(), "Congratulations! You have broken Your Record!\r" + kUnreadSave);
        EXPECT_TRUE(style::OwnEnabled(f.Records().Button8))
            << "offered; Save Rec reads the file first";
    } else {
        EXPECT_EQ(f.BrokenText(), "");
        EXPECT_FALSE(style::OwnEnabled(f.Records().Button8));
        EXPECT_EQ(RecordBytes(f.game().MyRec()), RecordBytes(kStored));
        EXPECT_EQ(f.Records().MyRecord[FigureRow::Total]->text(), "48630");
        EXPECT_EQ(f.Records().WRecord[FigureRow::Total]->text(), "3010");
    }
}

INSTANTIATE_TEST_SUITE_P(RecordsKept, HeldAtStartUp, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& test) {
                             return test.param ? "StillHeld" : "Released";
                         });

// Save Rec with the records unread reads them first and asks before replacing a better one.
TEST_F(RecordsKept, SaveRecWithUnreadRecordsAsksFirst) {
    const std::string stored = RecordsBytes();
    HeldFile held(RecordsPath());
    TForm1& f = Form();
    Play(f, 10, 5, 1); // total 73, measured while the records cannot be read
    held.Release();
    dialogs.answer = false;
    f.Button8Click(f.Records().Button8);
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0], "Your stored record has a higher total score (48630) than "
                                    "this game (73). Replace it with this game?");
    EXPECT_EQ(RecordsBytes(), stored);
    EXPECT_EQ(f.Records().MyRecord[FigureRow::Total]->text(), "48630");
    EXPECT_TRUE(style::OwnEnabled(f.Records().Button8));

    dialogs.answer = true;
    f.Button8Click(f.Records().Button8);
    EXPECT_EQ(dialogs.questions.back(), kSaveQuestion);
    EXPECT_EQ(RecordsBytes(), RecordBytes(f.game().GameRec()) + RecordBytes(kWorld));
}

// Records fetched while the file is held (their store failed) stay in memory and on the page
// when the end of the game cannot read the file either, and the game is measured against them.
TEST_F(RecordsKept, FailedReReadKeepsTheRecordsInMemory) {
    const HeldFile held(RecordsPath());
    TForm1& f = Form();
    const TScoreRec fetchedMine = ValidRecord("Alice", 30, 10, 2); // total 194
    f.SetUpGame().MyRecChanged(fetchedMine);
    f.SetUpGame().WorldRecChanged(kWorld);
    f.ShowMyRec();
    f.ShowWorldRec();

    Play(f, 10, 5, 1); // total 73: beats neither
    EXPECT_EQ(RecordBytes(f.game().MyRec()), RecordBytes(fetchedMine));
    EXPECT_EQ(RecordBytes(f.game().WorldRec()), RecordBytes(kWorld));
    EXPECT_EQ(f.Records().MyRecord[FigureRow::Keeper]->text(), "Alice");
    EXPECT_EQ(f.Records().MyRecord[FigureRow::Total]->text(), "194");
    EXPECT_EQ(f.Records().WRecord[FigureRow::Total]->text(), "3010");
    EXPECT_EQ(f.BrokenText(), kUnread);
    for (FigureRow::Row row : kRecordFigureRows)
        EXPECT_EQ(style::TextColour(f.Records().MyScore[row]), style::kBlack) << "nothing broken";
}

// A Records.dat that leads to a device swallowed every save; it is refused like a folder is,
// and Save Rec stays offered.
TEST_F(RecordsKept, DeviceInPlaceOfTheRecordFileIsRefused) {
    fs::remove(RecordsPath());
    fs::create_symlink("/dev/zero", RecordsPath());
    TForm1& f = Form();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find("not a regular file"), std::string::npos)
        << dialogs.messages[0];
    Play(f, 10, 5, 1);
    f.Records().Button8->click();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_NE(dialogs.messages[1].find("not a regular file"), std::string::npos)
        << dialogs.messages[1];
    EXPECT_TRUE(style::OwnEnabled(f.Records().Button8));
    EXPECT_EQ(fs::read_symlink(RecordsPath()), "/dev/zero");
}

// Two copies of the game in one folder, both started before either saves: A saves a 3-word
// game, then B saves its poorer 2-word game. B keeps A's record, shows it and says so.
class TwoCopies : public RecordsKept, public ::testing::WithParamInterface<bool> {};

TEST_P(TwoCopies, StaleCopyDoesNotReplaceABetterRecord) {
    const bool autoSave = GetParam();
    LayRecordFile(RecordBytes(ValidRecord("Alice", 30, 10, 2)) + RecordBytes(kWorld)); // total 194
    if (autoSave)
        AutoSaveOn();
    TForm1& a = Form();
    RecordingDialogs dialogsB;
    TForm1 b(For(appDir, {.dialogs = &dialogsB}));

    Play(a, 40, 14, 3); // total 524
    if (!autoSave)
        a.Button8Click(a.Records().Button8);
    const std::string gameA = RecordBytes(a.game().GameRec());
    ASSERT_EQ(RecordsBytes(), gameA + RecordBytes(kWorld));

    Play(b, 20, 8, 2); // total 362: beats the 194 B loaded, not A's 524
    if (!autoSave)
        b.Button8Click(b.Records().Button8);
    EXPECT_EQ(RecordsBytes(), gameA + RecordBytes(kWorld));
    EXPECT_EQ(RecordBytes(b.game().MyRec()), gameA);
    EXPECT_EQ(b.Records().MyRecord[FigureRow::Total]->text(), "524");
    ASSERT_EQ(dialogsB.messages.size(), 1u);
    EXPECT_NE(dialogsB.messages[0].find("524"), std::string::npos) << dialogsB.messages[0];
    EXPECT_EQ(b.BrokenText().find(kSavedAutomatically), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(RecordsKept, TwoCopies, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& test) {
                             return test.param ? "AutoSave" : "SaveRec";
                         });

} // namespace
} // namespace lexfall::testing
