// SPDX-License-Identifier: GPL-3.0-or-later
// The record file as the window uses it: Save Rec, and start-up with a file it cannot use.
#include "support/FormFixture.h"
#include "support/Records.h"

#include "app/FormStyle.h"
#include "records/RecordFile.h"
#include "records/ScoreRec.h"

#include <filesystem>
#include <functional>
#include <utility>

namespace lexfall::testing {
namespace {

namespace fs = std::filesystem;

const std::string kMissingRecords = " Cannot find \"Records.dat\" file, new one created. ";
const std::string kSaveQuestion = "Save your current game score as your record, are you sure?";

const TScoreRec kMine = ValidRecord("Alice", 30, 10, 2);  // total 194
const TScoreRec kWorld = ValidRecord("Bob", 300, 40, 10); // total 3010

class RecordFileWindow : public FormTest {
protected:
    // An empty dictionary, so that Start reports nothing; the record file laid is 90 bytes.
    void PrepareAppDir(const QString&) override {
        dir.Put("Dict.dll", kWordlessDict);
        LayRecordFile(RecordBytes(kMine) + RecordBytes(kWorld));
    }

    // A game whose total (489) beats the own record (194) but not the world's: Save Rec is
    // offered (and, with AutoSave off, nothing saved yet).
    void PlayGameBeatingMyTotal() {
        TForm1& f = Form();
        PlayGameWith(f, 40, 15, 3);
        ASSERT_FALSE(f.GameRunning());
        ASSERT_EQ((std::int32_t{f.game().GameRec().Total}), 489);
        ASSERT_TRUE(style::OwnEnabled(f.Records().Button8));
    }

    // Start works and the first letter falls a row.
    void ExpectPlayable() {
        TForm1& f = Form();
        f.Button1Click(f.Button1);
        EXPECT_TRUE(f.GameRunning());
        f.Timer1Timer();
        EXPECT_EQ(f.game().Field().Block().Row, 1);
    }
};

TEST_F(RecordFileWindow, SaveRecAnsweredNoChangesNothing) {
    PlayGameBeatingMyTotal();
    TForm1& f = Form();
    dialogs.answer = false;
    f.Button8Click(f.Records().Button8);
    EXPECT_EQ(dialogs.questions, std::vector<std::string>{kSaveQuestion});
    EXPECT_EQ(RecordBytes(f.game().MyRec()), RecordBytes(kMine));
    EXPECT_EQ(f.Records().MyRecord[FigureRow::Total]->text(), "194");
    EXPECT_EQ(RecordsBytes(), RecordBytes(kMine) + RecordBytes(kWorld));
    EXPECT_TRUE(style::OwnEnabled(f.Records().Button8));
}

// Before any game of the run GameRec is an empty record: Save Rec says so and changes nothing,
// whatever the answer would have been.
TEST_F(RecordFileWindow, SaveRecBeforeAnyGameChangesNothing) {
    TForm1& f = Form();
    ASSERT_TRUE(style::OwnEnabled(f.Records().Button8));
    f.Button2Click(f.Button2);
    f.Records().Button8->click();
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"There is no finished game to save yet."});
    EXPECT_EQ(RecordsBytes(), RecordBytes(kMine) + RecordBytes(kWorld));
    EXPECT_EQ(RecordBytes(f.game().MyRec()), RecordBytes(kMine));
    EXPECT_EQ(f.Records().MyRecord[FigureRow::Keeper]->text(), "Alice");
    EXPECT_EQ(f.Records().MyRecord[FigureRow::Total]->text(), "194");
    EXPECT_TRUE(style::OwnEnabled(f.Records().Button8));
}

// Slot 0 takes the game as a whole (name, figures, total, date); slot 1 stays.
TEST_F(RecordFileWindow, SaveRecAfterAGame) {
    PlayGameBeatingMyTotal();
    TForm1& f = Form();
    f.Button8Click(f.Records().Button8);
    EXPECT_EQ(dialogs.questions, std::vector<std::string>{kSaveQuestion});
    const std::string game = RecordBytes(f.game().GameRec());
    EXPECT_EQ(RecordsBytes(), game + RecordBytes(kWorld));
    EXPECT_EQ(RecordBytes(f.game().MyRec()), game);
    EXPECT_EQ(f.Records().MyRecord[FigureRow::Keeper]->text(), "Player1");
    EXPECT_EQ(f.Records().MyRecord[FigureRow::Total]->text(), "489");
    EXPECT_EQ(f.Records().Label2->text(), "2026-12-10");
    EXPECT_FALSE(style::OwnEnabled(f.Records().Button8));
}

TEST_F(RecordFileWindow, SaveRecAfterTheFileWasDeleted) {
    PlayGameBeatingMyTotal();
    TForm1& f = Form();
    ASSERT_TRUE(fs::remove(RecordsPath()));
    f.Button8Click(f.Records().Button8);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{kMissingRecords});
    EXPECT_EQ(RecordsBytes(), RecordBytes(f.game().GameRec()) + RecordBytes(kWorld));
    EXPECT_FALSE(style::OwnEnabled(f.Records().Button8));
}

// Message boxes that run a step while they are "open", as another program would meanwhile.
class BusyDialogs final : public Dialogs {
public:
    std::vector<std::string> messages;
    std::function<void()> whileOpen; // run once, inside the next message box
    void ShowMessage(const std::string& text) override {
        messages.push_back(text);
        if (auto step = std::exchange(whileOpen, nullptr))
            step();
    }
    bool Confirm(const std::string&) override { return true; }
};

// A record file that appears while "Cannot find Records.dat" is up (a second copy of the game
// saved, or the player put a backup back) is read as at start-up, never emptied.
TEST_F(RecordFileWindow, FileAppearingAtStartUpIsRead) {
    ASSERT_TRUE(fs::remove(RecordsPath()));
    BusyDialogs busy;
    const std::string other = RecordBytes(kWorld) + RecordBytes(kMine);
    busy.whileOpen = [&] { LayRecordFile(other); };
    TForm1 f(For(appDir, {.dialogs = &busy}));
    EXPECT_EQ(busy.messages, std::vector<std::string>{kMissingRecords});
    EXPECT_EQ(RecordsBytes(), other);
    EXPECT_EQ(f.Records().MyRecord[FigureRow::Keeper]->text(), "Bob");
    EXPECT_EQ(f.Records().WRecord[FigureRow::Keeper]->text(), "Alice");
}

// The same on Save Rec: the file that came back takes the game in slot 0 as a present file
// would, and keeps its own slot 1 and anything after it.
TEST_F(RecordFileWindow, FileAppearingDuringSaveRecIsSavedInto) {
    BusyDialogs busy;
    TForm1 f(For(appDir, {.dialogs = &busy}));
    f.Button1Click(f.Button1);
    f.SetUpGame().FiguresToSetUp().UsedTime = 40;
    f.SetUpGame().FiguresToSetUp().UsedLetters = 14;
    f.SetUpGame().FiguresToSetUp().CompletedWords = 3;
    f.SetUpGame().PutLetter(3, 1, 'E');
    f.Timer1Timer();
    ASSERT_TRUE(fs::remove(RecordsPath()));
    const TScoreRec backupWorld = ValidRecord("Carol", 200, 30, 6);
    const std::string tail = "tail";
    busy.whileOpen = [&] { LayRecordFile(RecordBytes(kMine) + RecordBytes(backupWorld) + tail); };
    f.Button8Click(f.Records().Button8);
    EXPECT_EQ(busy.messages, std::vector<std::string>{kMissingRecords});
    EXPECT_EQ(RecordsBytes(), RecordBytes(f.game().GameRec()) + RecordBytes(backupWorld) + tail);
}

// Restores the current directory however the test ends.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const fs::path& path) : saved_(fs::current_path()) {
        fs::current_path(path);
    }
    ~CurrentDirectory() { fs::current_path(saved_); }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    fs::path saved_;
};

// Loading and saving go to the program's folder, never to the current directory.
TEST_F(RecordFileWindow, AnotherCurrentDirectory) {
    const ScratchDir elsewhere;
    const CurrentDirectory inElsewhere(elsewhere.Path());
    TForm1& f = Form();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(f.Records().MyRecord[FigureRow::Keeper]->text(), "Alice");
    EXPECT_EQ(f.Records().WRecord[FigureRow::Keeper]->text(), "Bob");
    PlayGameBeatingMyTotal();
    f.Button8Click(f.Records().Button8);
    EXPECT_EQ(RecordsBytes(), RecordBytes(f.game().GameRec()) + RecordBytes(kWorld));
    EXPECT_FALSE(fs::exists(elsewhere.Path() / "Records.dat"));
}

// A file of one whole record (45 to 89 bytes) has no world slot: a message names the file, the
// world record is a cleared one, the own record is the one read, and the game can be played.
// Check WR's store then gives the file its world slot, and the next start-up is silent.
class OneWholeRecord : public RecordFileWindow, public ::testing::WithParamInterface<int> {};

TEST_P(OneWholeRecord, StartUpNamesTheFileAndTheWorldSlotComesWithAWorldRecord) {
    const std::string bytes =
        RecordBytes(kMine) + std::string(static_cast<std::size_t>(GetParam() - 45), 'x');
    LayRecordFile(bytes);
    TForm1& f = Form();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find(RecordsPath()), std::string::npos) << dialogs.messages[0];
    EXPECT_EQ(f.Records().WRecord[FigureRow::Keeper]->text(), "No Record");
    EXPECT_EQ(f.Records().WRecord[FigureRow::Total]->text(), "0");
    EXPECT_EQ(f.Records().Label3->text(), "2026-12-10");
    EXPECT_EQ(f.Records().MyRecord[FigureRow::Keeper]->text(), "Alice");
    EXPECT_EQ(RecordsBytes(), bytes);
    ExpectPlayable();

    // What Check WR does with a fetched world record.
    f.SetUpGame().WorldRecChanged(kWorld);
    SaveWorldRec(appDir, dialogs, f.game().MyRec(), f.game().WorldRec());
    EXPECT_EQ(RecordsBytes(), RecordBytes(kMine) + RecordBytes(kWorld));
    dialogs.messages.clear();
    TForm1 again(For(appDir));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(again.Records().WRecord[FigureRow::Keeper]->text(), "Bob");
}

INSTANTIATE_TEST_SUITE_P(RecordFileWindow, OneWholeRecord, ::testing::Values(45, 89));

// A Records.dat that cannot be opened (here a folder): the error names the file, both records
// are cleared, and the game can be played.
TEST_F(RecordFileWindow, UnopenableFileAtStartUp) {
    ASSERT_TRUE(fs::remove(RecordsPath()));
    ASSERT_TRUE(fs::create_directory(RecordsPath()));
    TForm1& f = Form();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find("Records.dat"), std::string::npos) << dialogs.messages[0];
    EXPECT_EQ(f.Records().MyRecord[FigureRow::Keeper]->text(), "No Record");
    EXPECT_EQ(f.Records().MyRecord[FigureRow::Total]->text(), "0");
    EXPECT_EQ(f.Records().WRecord[FigureRow::Keeper]->text(), "No Record");
    ExpectPlayable();
}

// An automatic save that fails is reported, and the page says the game is not saved: the
// record in memory stays what the file held, the game stays unsaved (a new game or closing
// asks about it) and Save Rec stays offered for another try.
TEST_F(RecordFileWindow, FailedAutoSaveIsNotAnnounced) {
    dir.Put("Lexfall.ini", "[Options]\r\nAutoSave=1\r\n");
    TForm1& f = Form();
    const std::string mine = RecordBytes(f.game().MyRec());
    ASSERT_TRUE(fs::remove(RecordsPath()));
    ASSERT_TRUE(fs::create_directory(RecordsPath()));
    PlayGameBeatingMyTotal();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find("Records.dat"), std::string::npos) << dialogs.messages[0];
    EXPECT_EQ(f.BrokenText(), "Congratulations! You have broken Your Record!\r\r"
                              "Not saved: your record file could not be written.");
    EXPECT_EQ(RecordBytes(f.game().MyRec()), mine);
    EXPECT_TRUE(f.game().Unsaved());
    EXPECT_TRUE(f.Records().Button8->isEnabled());
    EXPECT_FALSE(f.Records().PanelRecord->isHidden()) << "the records page still comes up";
}

} // namespace
} // namespace lexfall::testing
