// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ProfileFile.h"

#include "support/ProfileReads.h"
#include "support/ScratchDir.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace lexfall {
namespace {

using testing::ScratchDir;

// A file with a comment before any section, another section, blank lines and CRLF endings.
const std::string kCrlfFile = "; Lexfall settings\r\n"
                              "[Register]\r\n"
                              "UserName=Ann\r\n"
                              "\r\n"
                              "[Options]\r\n"
                              "; drop interval in ms\r\n"
                              "speed = 500\r\n"
                              "Sound=1\r\n"
                              "\r\n"
                              "[Other]\r\n"
                              "Sound=7\r\n";

TEST(ProfileTextTest, ReadsFollowThePlatformRules) {
    // Which value a read finds, and how blanks, quotes and length are handled.
    const std::string longValue(3000, 'm');
    struct Case {
        const char* name;
        std::string content;
        const char* section;
        const char* key;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"key in lower case", kCrlfFile, "Options", "Speed", "500"},
        {"section in other case", kCrlfFile, "OPTIONS", "SOUND", "1"},
        {"key of its own section", kCrlfFile, "Other", "Sound", "7"},
        {"first section of a name only", "[Options]\nA=1\n[Options]\nSound=0\n", "Options", "Sound",
         std::nullopt},
        {"key of another section", kCrlfFile, "Options", "UserName", std::nullopt},
        {"missing section", kCrlfFile, "Nowhere", "Sound", std::nullopt},
        {"missing key", kCrlfFile, "Options", "Music", std::nullopt},
        {"comment is no key", "[Options]\n;Music=a.mid\n", "Options", ";Music", std::nullopt},
        {"empty file", "", "Options", "Sound", std::nullopt},
        {"present but empty", "[Options]\nMusic=\n", "Options", "Music", ""},
        {"blanks dropped", "[Options]\nMusic = \t a b.mid \t\n", "Options", "Music", "a b.mid"},
        {"double quotes dropped", "[Options]\nMusic= \" a \" \n", "Options", "Music", " a "},
        {"single quotes dropped", "[Options]\nMusic='x'\n", "Options", "Music", "x"},
        {"one pair only", "[Options]\nMusic=\"\"x\"\"\n", "Options", "Music", "\"x\""},
        {"unmatched quote kept", "[Options]\nMusic=\"x'\n", "Options", "Music", "\"x'"},
        {"first of two keys", "[Options]\nSound=0\nSOUND=1\n", "Options", "Sound", "0"},
        {"last line without break", "[Options]\r\nSpeed=9", "Options", "Speed", "9"},
        {"3000 characters cut", "[Options]\r\nMusic=" + longValue + "\r\n", "Options", "Music",
         std::string(2047, 'm')},
        {"lone carriage returns end lines", "[Options]\rSpeed=500\rSound=0\r", "Options", "Sound",
         "0"},
        {"byte-order mark before the first section", "\xEF\xBB\xBF[Options]\r\nSpeed=500\r\n",
         "Options", "Speed", "500"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(profile::FindValue(c.content, c.section, c.key), c.expected);
    }
}

TEST(ProfileTextTest, WritesChangeOnlyTheirKey) {
    // Replaced in place, appended to its section, or a new section at the end; every other
    // byte and the file's own line endings stay.
    struct Case {
        const char* name;
        std::string before;
        const char* section;
        const char* key;
        std::string value;
        std::string after;
    };
    const Case cases[] = {
        {"new file", "", "Options", "Speed", "750", "[Options]\r\nSpeed=750\r\n"},
        {"replaced where it stands", kCrlfFile, "Options", "Speed", "750",
         "; Lexfall settings\r\n[Register]\r\nUserName=Ann\r\n\r\n[Options]\r\n"
         "; drop interval in ms\r\nspeed = 750\r\nSound=1\r\n\r\n[Other]\r\nSound=7\r\n"},
        {"appended after the section's last line", kCrlfFile, "options", "Music", "a.mid",
         "; Lexfall settings\r\n[Register]\r\nUserName=Ann\r\n\r\n[Options]\r\n"
         "; drop interval in ms\r\nspeed = 500\r\nSound=1\r\nMusic=a.mid\r\n\r\n[Other]\r\n"
         "Sound=7\r\n"},
        {"LF file stays LF", "[Options]\nSound=1\n\n[Register]\nEmail=a@b\n", "Options", "AutoSave",
         "0", "[Options]\nSound=1\nAutoSave=0\n\n[Register]\nEmail=a@b\n"},
        {"new section after last line without break", "[Register]\r\nUserName=Ann", "Options",
         "Sound", "1", "[Register]\r\nUserName=Ann\r\n\r\n[Options]\r\nSound=1\r\n"},
        {"empty value", "[Options]\nMusic=a.mid\n", "Options", "Music", "", "[Options]\nMusic=\n"},
        {"line break cuts the value", "", "Options", "Music", "a.mid\r\nSpeed=1",
         "[Options]\r\nMusic=a.mid\r\n"},
        {"outer blanks kept by quotes", "", "Options", "ProxyPwd", " pw ",
         "[Options]\r\nProxyPwd=\" pw \"\r\n"},
        {"enclosing quotes kept by quotes", "", "Options", "Music", "'x'",
         "[Options]\r\nMusic=\"'x'\"\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(profile::SetValue(c.before, c.section, c.key, c.value), c.after);
    }
}

TEST(ProfileTextTest, WrittenTextsReadBackUnchanged) {
    // Whatever a write stores, a read returns, up to the first line break.
    const char* values[] = {"",   "plain", " lead", "trail ", "\"q\"", "'s'",
                            "\"", "a=b=c", "[x]",   ";c",     "\t",    "\"\""};
    for (const char* value : values) {
        SCOPED_TRACE(value);
        const std::string content = profile::SetValue(kCrlfFile, "Options", "ProxyPwd", value);
        EXPECT_EQ(profile::FindValue(content, "Options", "ProxyPwd"), value);
        EXPECT_EQ(profile::FindValue(content, "Register", "UserName"), "Ann");
    }
}

TEST(ProfileTextTest, AKeyAddedAfterALastLineEndingInABareCarriageReturnReadsBack) {
    // Found by fuzzing: the line end given to that last line must not change what it says.
    const std::string content = profile::SetValue("x=1\n[Options\r", "Options", "Sound", "1");
    EXPECT_EQ(profile::FindValue(content, "Options", "Sound"), "1");
}

TEST(ProfileTextTest, ManyKeysInOnePassEndAsWrittenOneByOne) {
    // Several keys set together land where setting them one at a time would put them: added
    // keys after their section's last line and before new sections, a key given twice keeping
    // its first place, names matched without regard to case.
    const std::vector<profile::Entry> entries = {
        {"Options", "Speed", "600"}, {"Fresh", "A", "1"},       {"options", "Music", "b.mid"},
        {"OPTIONS", "SPEED", "700"}, {"Other", "Sound", ""},    {"Fresh", "B", " 2 "},
        {"Second", "C", "3"},        {"Options", "Port", "80"},
    };
    const std::string files[] = {
        "",
        kCrlfFile,
        "[Options]\nSpeed=1",
        "[Options]\nMusic=a.mid",
        "x=1\n[Options\r",
        "[Register]\r\nUserName=Ann",
        "\xEF\xBB\xBF[options]\n\n; note\n\n[Options]\nSpeed=2\n",
        "[Other]\nSound=1\n\n\n[Options]\nSpeed=3\n\n",
    };
    for (const std::string& before : files) {
        SCOPED_TRACE(before);
        std::string oneByOne = before;
        for (const profile::Entry& entry : entries)
            oneByOne = profile::SetValue(oneByOne, entry.section, entry.key, entry.value);
        EXPECT_EQ(profile::SetValues(before, entries), oneByOne);
    }
    EXPECT_EQ(profile::SetValues("[Options]\nSpeed=1", entries),
              "[Options]\nSpeed=700\nMusic=b.mid\nPort=80\n\n[Fresh]\nA=1\nB=\" 2 \"\n\n"
              "[Other]\nSound=\n\n[Second]\nC=3\n");
}

TEST(ProfileTextTest, ManyKeysReadInOnePassAsOneByOne) {
    const std::vector<profile::KeyName> keys = {{"Options", "Speed"},
                                                {"Register", "UserName"},
                                                {"Other", "Sound"},
                                                {"Options", "Music"},
                                                {"options", "SOUND"}};
    const auto values = profile::FindValues(kCrlfFile, keys);
    ASSERT_EQ(values.size(), keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        EXPECT_EQ(values[i], profile::FindValue(kCrlfFile, keys[i].section, keys[i].key)) << i;
    EXPECT_EQ(values[0], "500");
    EXPECT_EQ(values[3], std::nullopt);
}

TEST(ProfileTextTest, NamesThatCannotBeWrittenAreRejected) {
    EXPECT_THROW(profile::SetValue("", "Opt]ions", "Speed", "1"), std::invalid_argument);
    EXPECT_THROW(profile::SetValue("", "Options", "Spe=ed", "1"), std::invalid_argument);
    EXPECT_THROW(profile::SetValue("", "Options", "Speed\n", "1"), std::invalid_argument);
    EXPECT_THROW(profile::SetValue("", "Options", "", "1"), std::invalid_argument);
}

TEST(ProfileTextTest, IntegersAreDecimalOrLongHexadecimal) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> expected;
    };
    const Case cases[] = {
        {"750", 750},
        {"-1", -1},
        {"+5", 5},
        {"65535", 65535},
        {"0x2EE", 750},
        {"0X2ee", 750},
        {"0xFFFFFFFF", -1},
        {"-2147483648", INT32_MIN},
        {"0x", std::nullopt},
        {"0x100000000", std::nullopt},
        {"0xG", std::nullopt},
        {"2147483648", std::nullopt},
        {"yes", std::nullopt},
        {"", std::nullopt},
        {"12a", std::nullopt},
        {"+-1", std::nullopt},
        {"-", std::nullopt},
        {"0x-5", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(profile::ParseInteger(c.text), c.expected);
    }
}

TEST(ProfileFileTest, MissingFileReadsDefaultsAndCreatesNothing) {
    const ScratchDir dir;
    const ProfileFile file(dir.File("Lexfall.ini"));
    EXPECT_EQ(file.ReadString("Options", "Music", "none"), "none");
    EXPECT_EQ(testing::ReadInteger(file, "Options", "Speed", 750), 750);
    EXPECT_TRUE(testing::ReadBool(file, "Options", "Sound", true));
    EXPECT_FALSE(std::filesystem::exists(file.Path()));
}

TEST(ProfileFileTest, TypedReadsFallBackToTheDefault) {
    const ScratchDir dir;
    dir.Put("a.ini", "[Options]\nEmpty=\nWord=yes\nHex=0x10\nTwo=2\nZero=0\n");
    const ProfileFile file(dir.File("a.ini"));
    EXPECT_EQ(testing::ReadInteger(file, "Options", "Empty", 7), 7);
    EXPECT_EQ(testing::ReadInteger(file, "Options", "Word", 7), 7);
    EXPECT_EQ(testing::ReadInteger(file, "Options", "Hex", 7), 16);
    EXPECT_TRUE(testing::ReadBool(file, "Options", "Two", false));
    EXPECT_FALSE(testing::ReadBool(file, "Options", "Zero", true));
    EXPECT_TRUE(testing::ReadBool(file, "Options", "Word", true));
    EXPECT_EQ(file.ReadString("Options", "Empty", "def"), "");
}

TEST(ProfileFileTest, EachWriteReachesTheFile) {
    const ScratchDir dir;
    const ProfileFile file(dir.File("Lexfall.ini"));
    file.WriteStrings({{"Options", "Sound", "0"}});
    EXPECT_EQ(dir.Get("Lexfall.ini"), "[Options]\r\nSound=0\r\n");
    file.WriteStrings({{"Options", "Speed", "-1"}});
    EXPECT_EQ(dir.Get("Lexfall.ini"), "[Options]\r\nSound=0\r\nSpeed=-1\r\n");
    file.WriteStrings({{"Options", "Sound", "1"}});
    EXPECT_EQ(dir.Get("Lexfall.ini"), "[Options]\r\nSound=1\r\nSpeed=-1\r\n");
}

// A write that changes no byte still reaches the file (its time is set) but does not copy it:
// the file stays the same one.
TEST(ProfileFileTest, AWriteThatChangesNoByteOnlyTouchesTheFile) {
    const ScratchDir dir;
    dir.Put("a.ini", "[Options]\nSound=0\nSpeed=750\n");
    const ProfileFile file(dir.File("a.ini"));
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24);
    std::filesystem::last_write_time(file.Path(), old);
    const auto inode = [&] {
        struct stat info {};
        EXPECT_EQ(::stat(file.Path().c_str(), &info), 0);
        return info.st_ino;
    };
    const auto before = inode();
    file.WriteStrings({{"Options", "SOUND", "0"}, {"Options", "Speed", "750"}});
    EXPECT_EQ(dir.Get("a.ini"), "[Options]\nSound=0\nSpeed=750\n");
    EXPECT_GT(std::filesystem::last_write_time(file.Path()), old);
    EXPECT_EQ(inode(), before);
    file.WriteStrings({{"Options", "Sound", "0"}, {"Options", "Speed", "740"}});
    EXPECT_EQ(dir.Get("a.ini"), "[Options]\nSound=0\nSpeed=740\n");
}

TEST(ProfileFileTest, ShorterContentsLeaveNoOldTail) {
    const ScratchDir dir;
    dir.Put("a.ini", "[Options]\nMusic=a-very-long-file-name.mid\n");
    ProfileFile(dir.File("a.ini")).WriteStrings({{"Options", "Music", "b.mid"}});
    EXPECT_EQ(dir.Get("a.ini"), "[Options]\nMusic=b.mid\n");
}

TEST(ProfileFileTest, RefusedWriteThrowsAndChangesNothing) {
    // Tests run as root, so refusal comes from a path that cannot be a writable file.
    const ScratchDir dir;
    std::filesystem::create_directory(dir.File("Lexfall.ini"));
    const std::string inMissingFolder = dir.File("missing/Lexfall.ini");
    for (const std::string& path : {dir.File("Lexfall.ini"), inMissingFolder}) {
        SCOPED_TRACE(path);
        try {
            ProfileFile(path).WriteStrings({{"Options", "Sound", "1"}});
            ADD_FAILURE() << "write was not refused";
        } catch (const Error& error) {
            EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
        }
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("Lexfall.ini")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
}

} // namespace
} // namespace lexfall
