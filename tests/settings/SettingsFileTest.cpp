// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsFile.h"

#include "support/ScratchDir.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace lexfall {
namespace {

using testing::ScratchDir;

class SettingsFileTest : public ::testing::Test {
protected:
    ScratchDir dir;
    std::string path = dir.File(SettingsFileName);

    Settings LoadFrom(const std::string& contents) {
        dir.Put(SettingsFileName, contents);
        return LoadSettings(path);
    }
};

TEST_F(SettingsFileTest, FirstRunUsesDefaultsAndWritesTheNineOptions) {
    const Settings settings = LoadSettings(path);
    EXPECT_EQ(settings.UserName, "Player1");
    EXPECT_FALSE(settings.AutoSave);
    EXPECT_FALSE(settings.EnableProxy);
    EXPECT_EQ(settings.Music, "");
    EXPECT_EQ(settings.Proxy, "");
    EXPECT_EQ(settings.ProxyUser, "");
    EXPECT_EQ(settings.ProxyPwd, "");
    EXPECT_EQ(settings.Port, 8080);
    EXPECT_EQ(settings.Speed, 750);
    EXPECT_TRUE(settings.Sound);
    EXPECT_FALSE(std::filesystem::exists(path));

    WriteIni(path, settings);
    EXPECT_EQ(dir.Get(SettingsFileName), "[Options]\r\nAutoSave=0\r\nEnableProxy=0\r\nMusic=\r\n"
                                         "Proxy=\r\nProxyUser=\r\nProxyPwd=\r\nPort=8080\r\n"
                                         "Speed=750\r\nSound=1\r\n");
}

TEST_F(SettingsFileTest, WriteIniKeepsRegisterAndEverythingElse) {
    dir.Put(SettingsFileName, "[Register]\nUserName=Ann\nRegCode=42\n\n[Options]\nspeed=500\n"
                              "; keep me\n");
    Settings settings = LoadSettings(path);
    settings.Speed = -1;
    settings.Port = KeepLow16(65535);
    settings.ProxyPwd = " secret ";
    WriteIni(path, settings);
    EXPECT_EQ(dir.Get(SettingsFileName),
              "[Register]\nUserName=Ann\nRegCode=42\n\n[Options]\nspeed=-1\n; keep me\n"
              "AutoSave=0\nEnableProxy=0\nMusic=\nProxy=\nProxyUser=\nProxyPwd=\" secret \"\n"
              "Port=-1\nSound=1\n");
    const Settings reread = LoadSettings(path);
    EXPECT_EQ(reread.Speed, -1);
    EXPECT_EQ(reread.Port, -1);
    EXPECT_EQ(reread.ProxyPwd, " secret ");
}

TEST_F(SettingsFileTest, PlayerNameComesFromRegister) {
    EXPECT_EQ(LoadFrom("[Register]\nUserName=\n").UserName, "Player1");
    EXPECT_EQ(LoadFrom("[Register]\nEmail=a@b\n").UserName, "Player1");
    EXPECT_EQ(LoadFrom("[register]\nusername=Ann\n").UserName, "Ann");
    const std::string longName = "Abcdefghijklmnopqrstuvwxy";
    ASSERT_EQ(longName.size(), 25u);
    EXPECT_EQ(LoadFrom("[Register]\nUserName=" + longName + "\n").UserName, longName);
}

TEST_F(SettingsFileTest, SixteenBitIntegers) {
    // Keys in any case; hexadecimal; the default for non-numbers; the low 16 bits, signed.
    struct Case {
        const char* value;
        std::int16_t speed;
        std::int16_t port;
    };
    const Case cases[] = {
        {"500", 500, 500}, {"0x2EE", 750, 750},   {"abc", 750, 8080},
        {"", 750, 8080},   {"65535", -1, -1},     {"-1", -1, -1},
        {"0", 0, 0},       {"70000", 4464, 4464}, {"4294967296", 750, 8080},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const Settings settings =
            LoadFrom(std::string("[options]\r\nspeed=") + c.value + "\r\nPORT=" + c.value + "\r\n");
        EXPECT_EQ(settings.Speed, c.speed);
        EXPECT_EQ(settings.Port, c.port);
    }
}

TEST_F(SettingsFileTest, BooleansAreIntegers) {
    struct Case {
        const char* value;
        bool expected;
    };
    const Case cases[] = {{"2", true}, {"1", true}, {"0", false}, {"yes", true}, {"-1", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(LoadFrom(std::string("[Options]\nSound=") + c.value + "\n").Sound, c.expected);
    }
    EXPECT_TRUE(LoadFrom("[Options]\nAutoSave=3\nEnableProxy=1\n").AutoSave);
    EXPECT_FALSE(LoadFrom("[Options]\nAutoSave=no\n").AutoSave);
}

TEST_F(SettingsFileTest, TextsAreCutToTheirLimits) {
    const Settings settings = LoadFrom(
        "[Options]\nProxy=" + std::string(300, 'h') + "\nProxyPwd=" + std::string(200, 'p') +
        "\nProxyUser=" + std::string(300, 'u') + "\nMusic=" + std::string(300, 'm') + "\n");
    EXPECT_EQ(settings.Proxy, std::string(255, 'h'));
    EXPECT_EQ(settings.ProxyPwd, std::string(128, 'p'));
    EXPECT_EQ(settings.ProxyUser, std::string(255, 'u'));
    EXPECT_EQ(settings.Music, std::string(255, 'm'));
    // Limits count bytes; a cut never splits a UTF-8 character.
    EXPECT_EQ(LoadFrom("[Options]\nProxy=" + std::string(254, 'h') + "\xC3\xA9\n").Proxy,
              std::string(254, 'h'));
}

TEST_F(SettingsFileTest, RefusedWriteIniReportsThePath) {
    std::filesystem::create_directory(path);
    try {
        WriteIni(path, Settings());
        ADD_FAILURE() << "write was not refused";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
    }
}

TEST_F(SettingsFileTest, RegisterInfoReadsWithEmptyDefaults) {
    dir.Put(SettingsFileName, "[Register]\r\nUserName=Ann\r\nEmail=ann@example.org\r\n");
    const RegisterInfo info = ReadRegisterInfo(path);
    EXPECT_EQ(info.UserName, "Ann");
    EXPECT_EQ(info.Email, "ann@example.org");
    EXPECT_EQ(info.RegCode, "");
    const RegisterInfo none = ReadRegisterInfo(dir.File("missing.ini"));
    EXPECT_EQ(none.UserName, "");
}

} // namespace
} // namespace lexfall
