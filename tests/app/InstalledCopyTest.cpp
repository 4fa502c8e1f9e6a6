// SPDX-License-Identifier: GPL-3.0-or-later
// An installed copy: data in a read-only folder of its own, each player's files in the
// player's home, found through the desktop's standard locations.
#include "app/FolderSearch.h"
#include "app/TForm1.h"
#include "settings/SettingsFile.h"
#include "support/FormFixture.h"
#include "support/ScratchDir.h"
#include "support/TestServices.h"

#include <QCheckBox>
#include <QLabel>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace lexfall::testing {
namespace {

namespace fs = std::filesystem;

const std::string kMissingRecords = " Cannot find \"Records.dat\" file, new one created. ";

// Sets or unsets an environment variable for one scope.
class EnvironmentValue {
public:
    EnvironmentValue(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~EnvironmentValue() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    EnvironmentValue(const EnvironmentValue&) = delete;
    EnvironmentValue& operator=(const EnvironmentValue&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

class InstalledCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(program);
        fs::create_directories(dataDir + "sound");
        std::ofstream(dataDir + "Dict.dll", std::ios::binary) << kWordlessDict;
        fs::create_directories(home);
    }

    ScratchDir root;
    const std::string program = root.Dir() + "prefix/games/";
    // Wherever this build puts the data, relative to the game.
    const std::string dataDir =
        (fs::path(program) / BuiltInstalledLayout().dataDir).lexically_normal().string() + "/";
    const std::string home = root.Dir() + "home/";
};

// XDG_CONFIG_HOME and XDG_DATA_HOME when set, ~/.config and ~/.local/share when not; the
// folders are made, the data folder is the installed one.
TEST_F(InstalledCopyTest, PlayerFoldersFollowTheXdgVariables) {
    struct Case {
        const char* name;
        std::optional<std::string> config, data;
        std::string settingsDir, recordsDir;
    };
    const std::string xdg = root.Dir() + "xdg/";
    for (const Case& c :
         {Case{"set", xdg + "config", xdg + "data", xdg + "config/lexfall/", xdg + "data/lexfall/"},
          Case{"unset", std::nullopt, std::nullopt, home + ".config/lexfall/",
               home + ".local/share/lexfall/"}}) {
        const EnvironmentValue homeValue("HOME", home);
        const EnvironmentValue config("XDG_CONFIG_HOME", c.config);
        const EnvironmentValue data("XDG_DATA_HOME", c.data);
        const GameFolders f = FindGameFolders(QString::fromStdString(program));
        EXPECT_TRUE(f.installed) << c.name;
        EXPECT_EQ(f.dataDir, dataDir) << c.name;
        EXPECT_EQ(f.settingsDir, c.settingsDir) << c.name;
        EXPECT_EQ(f.recordsDir, c.recordsDir) << c.name;
        EXPECT_TRUE(fs::is_directory(c.settingsDir)) << c.name;
        EXPECT_TRUE(fs::is_directory(c.recordsDir)) << c.name;
    }
}

// The first start in an empty home says only that a record file was made, and every file the
// player's game writes lands in the home; the about box and the online exchanges name the
// settings file the [Register] lines go into.
TEST_F(InstalledCopyTest, FirstStartInAnEmptyHomeWritesOnlyThere) {
    const EnvironmentValue homeValue("HOME", home);
    const EnvironmentValue config("XDG_CONFIG_HOME", std::nullopt);
    const EnvironmentValue data("XDG_DATA_HOME", std::nullopt);
    const GameFolders folders = FindGameFolders(QString::fromStdString(program));
    ASSERT_TRUE(folders.installed);
    const std::string iniPath = home + ".config/lexfall/" + SettingsFileName;
    const std::string recordsPath = home + ".local/share/lexfall/Records.dat";

    TestServices services;
    FormServices formServices = services.For(folders.dataDir);
    formServices.settingsDir = folders.settingsDir;
    formServices.recordsDir = folders.recordsDir;
    TForm1 form(std::move(formServices));

    EXPECT_EQ(services.dialogs.messages, std::vector<std::string>{kMissingRecords});
    EXPECT_EQ(fs::file_size(recordsPath), 90u);
    EXPECT_TRUE(fs::exists(iniPath));

    // A game starts on the installed dictionary, and an option change goes to the home.
    form.Button1Click(form.Button1);
    form.Options().CheckBoxSound->setChecked(false);
    EXPECT_EQ(services.dialogs.messages.size(), 1u) << services.dialogs.messages.back();
    EXPECT_NE(ReadAll(iniPath).find("Sound=0"), std::string::npos);
    for (const auto& entry : fs::recursive_directory_iterator(root.Path())) {
        const std::string path = entry.path().string();
        if (entry.is_regular_file() && path != dataDir + "Dict.dll") {
            EXPECT_EQ(path.rfind(home, 0), 0u) << path << " written outside the home";
        }
    }

    bool named = false;
    for (const QLabel* label : form.Options().PanelAbout->findChildren<QLabel*>())
        named = named || label->text().contains(QString::fromStdString(iniPath));
    EXPECT_TRUE(named) << "the about box names " << iniPath;

    form.Button9Click(form.Records().Button9); // Get MyRec, with no [Register] lines yet
    ASSERT_EQ(services.dialogs.messages.size(), 2u);
    EXPECT_NE(services.dialogs.messages.back().find(iniPath), std::string::npos)
        << services.dialogs.messages.back();
}

} // namespace
} // namespace lexfall::testing
