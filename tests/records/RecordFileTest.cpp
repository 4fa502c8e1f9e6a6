// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/RecordFile.h"
#include "records/RecordStream.h"
#include "support/AsNobody.h"
#include "support/Doubles.h"
#include "support/RecordFileFixture.h"
#include "support/Records.h"
#include "text/Error.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace lexfall {
namespace {

namespace fs = std::filesystem;
using testing::RecordBytes;
using testing::ValidRecord;

const std::string kMissingText = " Cannot find \"Records.dat\" file, new one created. ";
const std::string kMyRecText = " Your Records is invalid, and have been clean. ";
const std::string kWorldRecText =
    " World Records is invalid, and have been clean. Please recheck it.";
constexpr double kToday = 46366.0;

const TScoreRec kMine = ValidRecord("Alice", 30, 10, 2, 45000.0);  // total 194
const TScoreRec kWorld = ValidRecord("Bob", 300, 40, 10, 45100.0); // total 3010
const TScoreRec kOther = ValidRecord("Carol", 300, 40, 10, 45200.0);

TScoreRec Broken(TScoreRec rec) {
    ++rec.Total;
    return rec;
}

void ExpectCleared(const TScoreRec& rec) {
    // Fields are copied out first: the packed record's fields cannot be bound to references.
    const std::int32_t figures[] = {rec.UsedTime, rec.UsedLetters, rec.CompletedWords, rec.Total};
    const double date = rec.Date;
    EXPECT_EQ(RecordName(rec), "No Record");
    EXPECT_THAT(figures, ::testing::Each(0));
    EXPECT_EQ(date, kToday);
}

class RecordFileTest : public testing::RecordFileFixture {
protected:
    void Load() {
        bool read = false;
        LoadRecords(dir_, dialogs_, kToday, myRec_, worldRec_, read);
    }

    testing::RecordingDialogs dialogs_;
    TScoreRec myRec_ = kOther;
    TScoreRec worldRec_ = kOther;
};

// No file: one message, then a new file with two cleared records.
TEST_F(RecordFileTest, MissingFileIsCreated) {
    Load();
    EXPECT_EQ(dialogs_.messages, std::vector<std::string>{kMissingText});
    ExpectCleared(myRec_);
    ExpectCleared(worldRec_);
    EXPECT_EQ(ReadFile(), RecordBytes(myRec_) + RecordBytes(worldRec_));
}

// An empty file is filled silently.
TEST_F(RecordFileTest, EmptyFileIsFilledWithoutMessage) {
    WriteFile("");
    Load();
    EXPECT_TRUE(dialogs_.messages.empty());
    ExpectCleared(myRec_);
    ExpectCleared(worldRec_);
    EXPECT_EQ(ReadFile(), RecordBytes(myRec_) + RecordBytes(worldRec_));
}

// A file shorter than one record keeps its bytes in front of the two appended records.
TEST_F(RecordFileTest, ShortFileKeepsStrayBytes) {
    const std::string stray(20, '\x55');
    WriteFile(stray);
    Load();
    EXPECT_TRUE(dialogs_.messages.empty());
    ExpectCleared(myRec_);
    EXPECT_EQ(ReadFile(), stray + RecordBytes(myRec_) + RecordBytes(worldRec_));
}

// A valid file is loaded and not written at all.
TEST_F(RecordFileTest, ValidFileIsLoadedUntouched) {
    WriteFile(RecordBytes(kMine) + RecordBytes(kWorld));
    const auto stamp = fs::last_write_time(file_) - std::chrono::hours(1);
    fs::last_write_time(file_, stamp);
    Load();
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_EQ(RecordBytes(myRec_), RecordBytes(kMine));
    EXPECT_EQ(RecordBytes(worldRec_), RecordBytes(kWorld));
    EXPECT_EQ(ReadFile(), RecordBytes(kMine) + RecordBytes(kWorld));
    EXPECT_EQ(fs::last_write_time(file_), stamp);
}

// Each bad slot is repaired on its own, with its own message; the other slot stays as it was.
TEST_F(RecordFileTest, BadSlotIsRepairedAlone) {
    for (const int bad : {0, 1}) {
        SCOPED_TRACE(bad);
        dialogs_.messages.clear();
        WriteFile(RecordBytes(bad == 0 ? Broken(kMine) : kMine) +
                  RecordBytes(bad == 1 ? Broken(kWorld) : kWorld));
        Load();
        EXPECT_EQ(dialogs_.messages,
                  std::vector<std::string>{bad == 0 ? kMyRecText : kWorldRecText});
        ExpectCleared(bad == 0 ? myRec_ : worldRec_);
        EXPECT_EQ(RecordBytes(bad == 0 ? worldRec_ : myRec_),
                  RecordBytes(bad == 0 ? kWorld : kMine));
        EXPECT_EQ(ReadFile(), RecordBytes(myRec_) + RecordBytes(worldRec_));
    }
}

// Both slots bad: both repaired, messages in slot order; bytes after the two slots untouched.
TEST_F(RecordFileTest, BothBadInOrderTailUntouched) {
    const std::string tail = RecordBytes(kOther);
    WriteFile(RecordBytes(Broken(kMine)) + RecordBytes(Broken(kWorld)) + tail);
    Load();
    EXPECT_EQ(dialogs_.messages, (std::vector<std::string>{kMyRecText, kWorldRecText}));
    ExpectCleared(myRec_);
    ExpectCleared(worldRec_);
    EXPECT_EQ(ReadFile(), RecordBytes(myRec_) + RecordBytes(worldRec_) + tail);
}

// Three valid records: the first two are used, the third is never touched.
TEST_F(RecordFileTest, ThirdRecordIsIgnored) {
    WriteFile(RecordBytes(kMine) + RecordBytes(kWorld) + RecordBytes(kOther));
    Load();
    EXPECT_EQ(RecordBytes(myRec_), RecordBytes(kMine));
    EXPECT_EQ(RecordBytes(worldRec_), RecordBytes(kWorld));
    EXPECT_EQ(ReadFile(), RecordBytes(kMine) + RecordBytes(kWorld) + RecordBytes(kOther));
}

// One whole record (45 to 89 bytes): slot 0 is read, WorldRec is a cleared record, the file is
// not written, and a message names the file instead of a bare read error.
TEST_F(RecordFileTest, OneWholeRecordIsReadAndNamed) {
    for (const std::string& extra : {std::string(), std::string(44, 'x')}) {
        dialogs_.messages.clear();
        WriteFile(RecordBytes(kMine) + extra);
        bool read = false;
        LoadRecords(dir_, dialogs_, kToday, myRec_, worldRec_, read);
        EXPECT_TRUE(read);
        EXPECT_EQ(RecordBytes(myRec_), RecordBytes(kMine));
        ExpectCleared(worldRec_);
        ASSERT_EQ(dialogs_.messages.size(), 1u);
        EXPECT_NE(dialogs_.messages[0].find(file_.string()), std::string::npos)
            << dialogs_.messages[0];
        EXPECT_EQ(ReadFile(), RecordBytes(kMine) + extra);
    }
}

// A file that cannot be opened or created: the error is raised, both records are cleared.
TEST_F(RecordFileTest, UnusableFileLeavesClearedRecords) {
    fs::create_directory(file_); // a folder where the file should be; fails even for root
    EXPECT_THROW(Load(), Error);
    ExpectCleared(myRec_);
    ExpectCleared(worldRec_);
    EXPECT_TRUE(dialogs_.messages.empty());

    myRec_ = worldRec_ = kOther;
    dir_ /= "gone"; // a missing folder: reported missing, then creating fails
    EXPECT_THROW(Load(), Error);
    ExpectCleared(myRec_);
    ExpectCleared(worldRec_);
    EXPECT_EQ(dialogs_.messages, std::vector<std::string>{kMissingText});
}

// A file held by another opener is neither read nor written.
TEST_F(RecordFileTest, HeldFileFailsAndStaysAsItWas) {
    WriteFile(RecordBytes(Broken(kMine)) + RecordBytes(kWorld));
    TRecordStream holder(file_, StreamMode::Open);
    EXPECT_THROW(Load(), Error);
    ExpectCleared(myRec_);
    ExpectCleared(worldRec_);
    EXPECT_THROW(SaveMyRec(dir_, dialogs_, kMine, kWorld), Error);
    EXPECT_THROW(SaveWorldRec(dir_, dialogs_, kMine, kWorld), Error);
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_EQ(ReadFile(), RecordBytes(Broken(kMine)) + RecordBytes(kWorld));
}

// The records count as read once the file is open (or missing, so holding nothing); a file
// that cannot be opened leaves them unread, which keeps saves from overwriting it unseen.
TEST_F(RecordFileTest, ReadOnlyOnceTheFileIsOpen) {
    const auto read = [this] {
        bool wasRead = false;
        try {
            LoadRecords(dir_, dialogs_, kToday, myRec_, worldRec_, wasRead);
        } catch (const Error&) {
        }
        return wasRead;
    };
    EXPECT_TRUE(read()) << "missing";
    WriteFile(RecordBytes(kMine));
    EXPECT_TRUE(read()) << "one whole record: the world slot fails, slot 0 was read";
    WriteFile(RecordBytes(kMine) + RecordBytes(kWorld));
    {
        const TRecordStream holder(file_, StreamMode::Open);
        EXPECT_FALSE(read()) << "held";
    }
    EXPECT_TRUE(read()) << "released";
    fs::remove(file_);
    fs::create_symlink("/dev/null", file_);
    EXPECT_FALSE(read()) << "a device";
}

// Save Rec's store reads slot 0 again under its own open: a stored record the rule keeps is
// returned and nothing is written; an invalid one is no record and is overwritten.
TEST_F(RecordFileTest, SaveMyRecUnlessKeepsWhatTheRuleKeeps) {
    const auto keepAll = [](const TScoreRec&) { return true; };
    WriteFile(RecordBytes(kOther) + RecordBytes(kWorld));
    const auto kept = SaveMyRecUnless(dir_, dialogs_, kMine, kWorld, keepAll);
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(RecordBytes(*kept), RecordBytes(kOther));
    EXPECT_EQ(ReadFile(), RecordBytes(kOther) + RecordBytes(kWorld));

    EXPECT_FALSE(SaveMyRecUnless(dir_, dialogs_, kMine, kWorld, [](const TScoreRec&) {
                     return false;
                 }).has_value());
    EXPECT_EQ(ReadFile(), RecordBytes(kMine) + RecordBytes(kWorld));

    WriteFile(RecordBytes(Broken(kOther)) + RecordBytes(kWorld));
    EXPECT_FALSE(SaveMyRecUnless(dir_, dialogs_, kMine, kWorld, keepAll).has_value());
    EXPECT_EQ(ReadFile(), RecordBytes(kMine) + RecordBytes(kWorld));
    EXPECT_TRUE(dialogs_.messages.empty());
}

// A better stored record stays unless it is the one the player saw and chose to replace; the
// automatic save has seen nothing, so it never replaces a better one.
TEST(KeepStoredMyRecTest, BetterRecordsStayUnlessSeenAndReplaced) {
    const TScoreRec game = kMine;    // total 194
    const TScoreRec better = kWorld; // total 3010
    const TScoreRec otherBetter = kOther;
    EXPECT_FALSE(KeepStoredMyRec(better, game, &better)) << "seen: the player's choice";
    EXPECT_TRUE(KeepStoredMyRec(better, game, &otherBetter)) << "saved meanwhile elsewhere";
    EXPECT_TRUE(KeepStoredMyRec(better, game, nullptr)) << "automatic";
    EXPECT_FALSE(KeepStoredMyRec(game, better, nullptr)) << "poorer";
    EXPECT_FALSE(KeepStoredMyRec(game, game, nullptr)) << "equal";
}

// A damaged name length never makes the name longer than its 20 characters.
TEST_F(RecordFileTest, DamagedNameLengthIsBounded) {
    TScoreRec damaged = ValidRecord("ABCDEFGHIJKLMNOPQRST", 30, 10, 2, 45000.0);
    damaged.NameLength = 255;
    WriteFile(RecordBytes(damaged) + RecordBytes(kWorld));
    Load();
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_EQ(RecordName(myRec_), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(ReadFile(), RecordBytes(damaged) + RecordBytes(kWorld));
}

// Each save writes its own slot only.
TEST_F(RecordFileTest, SavesWriteTheirSlotOnly) {
    const std::string tail = "tail";
    WriteFile(RecordBytes(kMine) + RecordBytes(kWorld) + tail);
    SaveMyRec(dir_, dialogs_, kOther, kOther);
    EXPECT_EQ(ReadFile(), RecordBytes(kOther) + RecordBytes(kWorld) + tail);
    SaveWorldRec(dir_, dialogs_, kMine, kMine);
    EXPECT_EQ(ReadFile(), RecordBytes(kOther) + RecordBytes(kMine) + tail);
    EXPECT_TRUE(dialogs_.messages.empty());
}

// A save after the file was deleted reports it and writes both records, MyRec first.
TEST_F(RecordFileTest, SaveRecreatesDeletedFile) {
    for (const auto save : {&SaveMyRec, &SaveWorldRec}) {
        dialogs_.messages.clear();
        WriteFile(RecordBytes(kOther) + RecordBytes(kOther));
        fs::remove(file_);
        save(dir_, dialogs_, kMine, kWorld);
        EXPECT_EQ(dialogs_.messages, std::vector<std::string>{kMissingText});
        EXPECT_EQ(ReadFile(), RecordBytes(kMine) + RecordBytes(kWorld));
    }
}

// SaveWorldRec into a file of one whole record gives it its world slot; slot 0 stays. Only a
// file without any whole record still has no place for it.
TEST_F(RecordFileTest, SaveWorldRecAddsTheMissingSlot) {
    for (const std::string& extra : {std::string(), std::string(44, 'x')}) {
        WriteFile(RecordBytes(kMine) + extra);
        SaveWorldRec(dir_, dialogs_, kOther, kWorld);
        EXPECT_EQ(ReadFile(), RecordBytes(kMine) + RecordBytes(kWorld));
        Load();
        EXPECT_EQ(RecordBytes(worldRec_), RecordBytes(kWorld));
    }
    EXPECT_TRUE(dialogs_.messages.empty());
    WriteFile(std::string(44, 'x'));
    EXPECT_THROW(SaveWorldRec(dir_, dialogs_, kMine, kWorld), Error);
    EXPECT_EQ(ReadFile(), std::string(44, 'x'));
}

// A record file the player may read but not write (here root's, mode 0644, used by "nobody"):
// both records load as stored; each save is refused with an error naming the file, and the
// file stays as it was.
TEST_F(RecordFileTest, ReadableButNotWritableFile) {
    WriteFile(RecordBytes(kMine) + RecordBytes(kWorld));
    fs::permissions(dir_, fs::perms(0755));
    fs::permissions(file_, fs::perms(0644));
    const int code = testing::RunAsNobody([&] {
        testing::RecordingDialogs dialogs;
        TScoreRec mine{}, world{};
        bool read = false;
        LoadRecords(dir_, dialogs, kToday, mine, world, read);
        bool ok = read && dialogs.messages.empty() && RecordBytes(mine) == RecordBytes(kMine) &&
                  RecordBytes(world) == RecordBytes(kWorld);
        for (const auto save : {&SaveMyRec, &SaveWorldRec}) {
            try {
                save(dir_, dialogs, kOther, kOther);
                ok = false;
            } catch (const Error& e) {
                const std::string text = e.what();
                ok = ok && text.find(file_.string()) != std::string::npos &&
                     text.find("Permission denied") != std::string::npos;
                if (!ok)
                    std::cerr << text << "\n";
            }
        }
        return ok;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadFile(), RecordBytes(kMine) + RecordBytes(kWorld));
}

// The file is found through appDir whatever the current directory is.
TEST_F(RecordFileTest, CurrentDirectoryDoesNotMatter) {
    const testing::ScratchDir scratch;
    const fs::path& elsewhere = scratch.Path();
    const fs::path before = fs::current_path();
    fs::current_path(elsewhere);
    try {
        Load();
        SaveMyRec(dir_, dialogs_, kMine, kWorld);
        SaveWorldRec(dir_, dialogs_, kMine, kWorld);
        Load();
    } catch (...) {
        fs::current_path(before);
        throw;
    }
    fs::current_path(before);
    EXPECT_EQ(RecordBytes(myRec_), RecordBytes(kMine));
    EXPECT_EQ(RecordBytes(worldRec_), RecordBytes(kWorld));
    EXPECT_EQ(ReadFile(), RecordBytes(kMine) + RecordBytes(kWorld));
    EXPECT_TRUE(fs::is_empty(elsewhere));
}

} // namespace
} // namespace lexfall
