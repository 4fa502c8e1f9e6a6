// SPDX-License-Identifier: GPL-3.0-or-later
#include "words/Dictionary.h"

#include "support/DictFixture.h"
#include "support/Doubles.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace lexfall::testing {
namespace {

constexpr const char* kMissing = "Can not find dictionary, please re_install Lexfall.";

// A few words per block, the first and last of each at the block's edges.
const DictBlocks kBlocks = {
    {8, {"ABSOLUTE", "MOUNTAIN", "NOTEBOOK", "ZYMOGENS"}},
    {7, {"ABACIST", "KITCHEN", "ZYMURGY"}},
    {6, {"ABACAS", "GARDEN", "PLANET", "ZYMASE"}},
    {5, {"AALII", "HOUSE", "ZYGON"}},
    {4, {"ABAS", "NOTA", "WORD", "ZOOS"}},
    {3, {"AAH", "BEE", "CAT", "DOG", "ZOO"}},
};

std::string LastWord(int length) {
    return kBlocks.at(length).back();
}

class DictionaryTest : public ::testing::Test {
protected:
    void SetUp() override { starts = WriteDict(dir.File("Dict.dll"), kBlocks); }

    // Byte range of the block of words of `length` letters in the fixture.
    std::pair<std::int64_t, std::int64_t> BlockBytes(int length) const {
        const std::int64_t first = BlockStartOf(starts, length);
        const std::int64_t end = length == 3
                                     ? first + static_cast<std::int64_t>(kBlocks.at(3).size())
                                     : BlockStartOf(starts, length - 1);
        return {first * 9, end * 9};
    }

    ScratchDir dir;
    TDictBlockStarts starts{};
    RecordingDialogs dialogs;
};

// Every word of every block is found, and a lookup reads only records of its own block.
TEST_F(DictionaryTest, FindsEveryWordReadingOnlyItsBlock) {
    ProbedDictionary dict(dir.Dir(), dialogs, starts);
    dict.OpenDict();
    ASSERT_TRUE(dict.IsOpen());
    for (const auto& [length, words] : kBlocks) {
        const auto [begin, end] = BlockBytes(length);
        for (const auto& word : words) {
            dict.readOffsets.clear();
            EXPECT_TRUE(dict.CheckKey(word)) << word;
            EXPECT_FALSE(dict.readOffsets.empty()) << word;
            for (const auto offset : dict.readOffsets) {
                EXPECT_GE(offset, begin) << word;
                EXPECT_LT(offset, end) << word;
            }
        }
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

// Texts that are not words of their own block: a prefix of a longer word, lower or mixed
// case, before the first or after the last word (nothing past the end of the file is read).
TEST_F(DictionaryTest, NonWordsAnswerFalseWithinTheirBlock) {
    ProbedDictionary dict(dir.Dir(), dialogs, starts);
    dict.OpenDict();
    for (const std::string word : {"NOTE", "NOTEBOO", "cat", "Cat", "zoo", "AAA", "ZZZ", "CATS",
                                   "ZZZZZZZZ", "AAAAAAAA", "HOUSES", "MOUNTAINS"}) {
        dict.readOffsets.clear();
        EXPECT_FALSE(dict.CheckKey(word)) << word;
        if (word.size() > 8)
            continue;
        const auto [begin, end] = BlockBytes(static_cast<int>(word.size()));
        for (const auto offset : dict.readOffsets) {
            EXPECT_GE(offset, begin) << word;
            EXPECT_LT(offset, end) << word;
        }
    }
}

// Other lengths answer false and never touch the file.
TEST_F(DictionaryTest, OtherLengthsAnswerFalseWithoutARead) {
    ProbedDictionary dict(dir.Dir(), dialogs, starts);
    dict.OpenDict();
    for (const std::string word : {"", "A", "AB", "NOTEBOOKS", "ABSOLUTELY"})
        EXPECT_FALSE(dict.CheckKey(word)) << word;
    EXPECT_TRUE(dict.readOffsets.empty());
}

// Letters are compared as unsigned bytes after unshifting modulo 256, so bytes above 127
// sort after Z and stored bytes that wrapped past 255 come back.
TEST_F(DictionaryTest, ComparesUnsignedBytesAndUnwrapsShifts) {
    starts = WriteDict(dir.File("Dict.dll"), {{3, {"CAT", "\xC4GG", "\xFFZZ"}}});
    Dictionary dict(dir.Dir(), dialogs, starts);
    dict.OpenDict();
    EXPECT_TRUE(dict.CheckKey("CAT"));
    EXPECT_TRUE(dict.CheckKey("\xC4GG"));
    EXPECT_TRUE(dict.CheckKey("\xFFZZ"));
    EXPECT_FALSE(dict.CheckKey("\x80GG"));
}

// The records' first byte and the bytes after the word are never looked at.
TEST_F(DictionaryTest, IgnoresLengthByteAndUnusedBytes) {
    auto record = EncodeRecord("CAT");
    record[0] = 0xEE;
    for (std::size_t i = 4; i < record.size(); ++i)
        record[i] = 0x5A;
    std::ofstream(dir.File("Dict.dll"), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(record.data()), 9);
    Dictionary dict(dir.Dir(), dialogs, {0, 0, 0, 0, 0, 0});
    dict.OpenDict();
    EXPECT_TRUE(dict.CheckKey("CAT"));
}

// A second OpenDict changes nothing: no message though the file has gone, no new count.
TEST_F(DictionaryTest, SecondOpenDoesNothing) {
    Dictionary dict(dir.Dir(), dialogs, starts);
    dict.OpenDict();
    const auto count = dict.RecordCount();
    std::filesystem::remove(dir.File("Dict.dll"));
    dict.OpenDict();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.File("Dict.dll")));
    EXPECT_EQ(dict.RecordCount(), count);
    EXPECT_TRUE(dict.CheckKey(LastWord(3)));
}

// The record count is taken at open: a word added meanwhile is found only after reopening.
TEST_F(DictionaryTest, RecordCountIsTakenAtOpen) {
    Dictionary dict(dir.Dir(), dialogs, starts);
    dict.OpenDict();
    AppendBytes(dir.File("Dict.dll"), EncodeRecord("ZZZ"));
    dict.OpenDict();
    EXPECT_FALSE(dict.CheckKey("ZZZ"));
    dict.CloseDict();
    EXPECT_FALSE(dict.IsOpen());
    dict.OpenDict();
    EXPECT_TRUE(dict.CheckKey("ZZZ"));
}

// A missing dictionary, an empty one (as older versions left for a missing one) and one in a
// folder that is not there: the message with the path at every Start, nothing created, and a
// game without words that never reads.
TEST(DictionaryMissingTest, ReportsAtEveryStartAndCreatesNothing) {
    struct Case {
        const char* name;
        const char* folder;
        bool emptyFile;
    };
    for (const Case c :
         {Case{"missing", "", false}, Case{"empty", "", true}, Case{"no folder", "gone/", false}}) {
        ScratchDir dir;
        RecordingDialogs dialogs;
        const std::string appDir = dir.Dir() + c.folder;
        const std::string path = appDir + "Dict.dll";
        if (c.emptyFile)
            dir.Put("Dict.dll", {});
        ProbedDictionary dict(appDir, dialogs);
        const std::vector<std::string> once{std::string(kMissing) + "\n" + path};

        dict.OpenDict();
        dict.OpenDict(); // the next letter of the same game
        EXPECT_EQ(dialogs.messages, once) << c.name;
        EXPECT_TRUE(dict.IsOpen()) << c.name;
        for (const std::string word : {"CAT", "WORD", "HOUSE", "PLANET", "KITCHEN", "NOTEBOOK"})
            EXPECT_FALSE(dict.CheckKey(word)) << c.name << " " << word;
        EXPECT_TRUE(dict.readOffsets.empty()) << c.name;

        dict.CloseDict();
        dict.OpenDict();
        EXPECT_EQ(dialogs.messages.size(), 2u) << c.name;
        EXPECT_EQ(dialogs.messages.back(), once.front()) << c.name;
        EXPECT_EQ(std::filesystem::exists(path), c.emptyFile) << c.name;
        if (c.emptyFile) {
            EXPECT_EQ(std::filesystem::file_size(path), 0u) << c.name;
        }

        // Put back, it is found at the next Start without a word said.
        dict.CloseDict();
        std::filesystem::create_directories(appDir);
        WriteDict(path, {{8, {"NOTEBOOK"}}});
        dict.OpenDict();
        EXPECT_EQ(dialogs.messages.size(), 2u) << c.name;
        EXPECT_TRUE(dict.CheckKey("NOTEBOOK")) << c.name;
    }
}

// Trailing bytes that do not make a whole record are not counted and never read.
TEST_F(DictionaryTest, IgnoresTrailingPartialRecord) {
    const auto whole =
        static_cast<std::int64_t>(std::filesystem::file_size(dir.File("Dict.dll"))) / 9;
    auto partial = EncodeRecord("ZZZ");
    partial.resize(5);
    AppendBytes(dir.File("Dict.dll"), partial);
    ProbedDictionary dict(dir.Dir(), dialogs, starts);
    dict.OpenDict();
    EXPECT_EQ(dict.RecordCount(), whole);
    EXPECT_TRUE(dict.CheckKey(LastWord(3)));
    EXPECT_FALSE(dict.CheckKey("ZZZ"));
    for (const auto offset : dict.readOffsets)
        EXPECT_LT(offset, whole * 9);
}

// A file shorter than the game's table: searches stop at the last record, so the words it
// does hold are found and nothing beyond the end is read.
TEST(DictionaryShortFileTest, ClampsSearchesToTheRecordCount) {
    ScratchDir dir;
    RecordingDialogs dialogs;
    WriteDict(dir.File("Dict.dll"), {{8, {"ABSOLUTE", "MOUNTAIN", "NOTEBOOK"}}});
    ProbedDictionary dict(dir.Dir(), dialogs);
    dict.OpenDict();
    EXPECT_TRUE(dict.CheckKey("NOTEBOOK"));
    EXPECT_FALSE(dict.CheckKey("ZYMOGENS"));
    for (const std::string word : {"CAT", "WORD", "HOUSE", "PLANET", "KITCHEN"})
        EXPECT_FALSE(dict.CheckKey(word)) << word;
    for (const auto offset : dict.readOffsets)
        EXPECT_LT(offset, 3 * 9);
}

// A failed or short read answers false and never throws.
TEST_F(DictionaryTest, FailedReadAnswersFalse) {
    for (const long result : {-1L, 4L, 8L}) {
        ProbedDictionary dict(dir.Dir(), dialogs, starts);
        dict.OpenDict();
        dict.readResult = result;
        EXPECT_NO_THROW(EXPECT_FALSE(dict.CheckKey("CAT"))) << result;
        EXPECT_EQ(dict.readOffsets.size(), 1u) << result;
        dict.readResult = 0;
        EXPECT_TRUE(dict.CheckKey("CAT")) << result;
    }
}

// A dictionary that cannot be opened read-write is read as it stands, never replaced.
// Tests run as root, which chmod does not stop, so the refusal is also simulated.
TEST_F(DictionaryTest, ReadOnlyFileIsReadAndLeftUnchanged) {
    const auto before = ReadBytes(dir.File("Dict.dll"));
    ::chmod(dir.File("Dict.dll").c_str(), 0444);
    for (const bool simulated : {false, true}) {
        ProbedDictionary dict(dir.Dir(), dialogs, starts);
        dict.denyWriteOpen = simulated;
        dict.OpenDict();
        EXPECT_TRUE(dict.IsOpen());
        EXPECT_EQ(dict.IsReadOnly(), simulated || ::geteuid() != 0);
        EXPECT_TRUE(dict.CheckKey("KITCHEN"));
        EXPECT_TRUE(dict.CheckKey(LastWord(3)));
        dict.CloseDict();
    }
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(ReadBytes(dir.File("Dict.dll")), before);
}

// A file that can be neither opened nor created throws the system's text naming the file,
// leaves the dictionary closed and the file as it was, and the next OpenDict tries again.
TEST_F(DictionaryTest, UnopenableFileThrowsAndNextOpenRetries) {
    const auto before = ReadBytes(dir.File("Dict.dll"));
    ProbedDictionary dict(dir.Dir(), dialogs, starts);
    dict.denyAnyOpen = true;
    try {
        dict.OpenDict();
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), dir.File("Dict.dll") + ": " + std::strerror(EACCES));
    }
    EXPECT_FALSE(dict.IsOpen());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(ReadBytes(dir.File("Dict.dll")), before);

    dict.denyAnyOpen = false;
    dict.OpenDict();
    EXPECT_TRUE(dict.IsOpen());
    EXPECT_TRUE(dict.CheckKey("CAT"));
}

// A folder named Dict.dll is no dictionary: an error, and the folder stays.
TEST(DictionaryUncreatableTest, FolderInPlaceOfTheFileThrows) {
    ScratchDir dir;
    RecordingDialogs dialogs;
    std::filesystem::create_directory(dir.File("Dict.dll"));
    Dictionary dict(dir.Dir(), dialogs);
    EXPECT_THROW(dict.OpenDict(), Error);
    EXPECT_FALSE(dict.IsOpen());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("Dict.dll")));
}

// A link to nothing is not a missing dictionary: one error naming the link and its target, at
// each Start, and nothing is created where it points.
TEST(DictionaryUncreatableTest, DanglingLinkIsReportedNotCreated) {
    for (const std::string target : {"nowhere/words.dat", "words.dat"}) {
        ScratchDir dir;
        RecordingDialogs dialogs;
        std::filesystem::create_symlink(target, dir.File("Dict.dll"));
        Dictionary dict(dir.Dir(), dialogs);
        for (int start = 0; start < 2; ++start) {
            try {
                dict.OpenDict();
                ADD_FAILURE() << target << ": no error";
            } catch (const Error& error) {
                const std::string text = error.what();
                EXPECT_NE(text.find("link"), std::string::npos) << text;
                EXPECT_NE(text.find(target), std::string::npos) << text;
            }
        }
        EXPECT_FALSE(dict.IsOpen());
        EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front();
        EXPECT_TRUE(std::filesystem::is_symlink(dir.File("Dict.dll")));
        EXPECT_FALSE(std::filesystem::exists(dir.Dir() + target)) << target;
    }
}

// A failed close throws and leaves the dictionary open in name; the lost handle is never
// closed again or read, the next OpenDict opens the file anew, and CloseDict then works.
TEST_F(DictionaryTest, FailedCloseThrowsAndLeavesItOpen) {
    ProbedDictionary dict(dir.Dir(), dialogs, starts);
    dict.CloseDict(); // closed already: nothing happens
    dict.OpenDict();
    dict.failClose = true;
    EXPECT_THROW(dict.CloseDict(), Error);
    EXPECT_TRUE(dict.IsOpen());
    dict.readOffsets.clear();
    EXPECT_FALSE(dict.CheckKey("CAT"));
    EXPECT_TRUE(dict.readOffsets.empty());

    dict.failClose = false;
    dict.OpenDict();
    EXPECT_TRUE(dict.CheckKey("CAT"));
    dict.CloseDict();
    EXPECT_FALSE(dict.IsOpen());
    EXPECT_TRUE(dialogs.messages.empty());
}

// The Dict.dll made by the build: common words are found, non-words are not, and no lookup
// takes more than 15 probes.
TEST(DictionaryRealFileTest, AnswersCommonWords) {
    RecordingDialogs dialogs;
    ProbedDictionary dict(std::string(LEXFALL_BIN_DIR) + "/", dialogs);
    dict.OpenDict();
    ASSERT_TRUE(dialogs.messages.empty());
    EXPECT_GT(dict.RecordCount(), DefaultDictBlockStart[0]);
    for (const std::string word : {"CAT", "WORD", "HOUSE", "PLANET", "KITCHEN", "NOTEBOOK"}) {
        dict.readOffsets.clear();
        EXPECT_TRUE(dict.CheckKey(word)) << word;
        EXPECT_LE(dict.readOffsets.size(), 15u) << word;
    }
    for (const std::string word :
         {"XQZ", "ZZZ", "QQQQ", "HOUSX", "PLANEQ", "KITCHEM", "NOTEBOOQ", "cat", "notebook"}) {
        dict.readOffsets.clear();
        EXPECT_FALSE(dict.CheckKey(word)) << word;
        EXPECT_LE(dict.readOffsets.size(), 15u) << word;
    }
    dict.CloseDict();
}

} // namespace
} // namespace lexfall::testing
