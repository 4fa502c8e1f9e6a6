// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/SettingsFixture.h"

#include "app/FormStyle.h"
#include "app/GameTimer.h"
#include "app/MusicComboBox.h"
#include "records/ScoreRec.h"
#include "settings/ProfileFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QToolButton>

#include <algorithm>
#include <filesystem>

namespace lexfall::testing {
namespace {

class OptionsPage : public SettingsFormTest {
protected:
    // Focus in the speed field, everything in it selected, then the given keys typed.
    void TypeIntoSpeedField(TForm1& f, const QString& typed) {
        f.Options().MaskEdit1->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), f.Options().MaskEdit1);
        Key(f.Options().MaskEdit1, Qt::Key_A, QStringLiteral("\x01"), Qt::ControlModifier);
        if (typed.isEmpty())
            Key(f.Options().MaskEdit1, Qt::Key_Delete);
        for (QChar c : typed)
            Key(f.Options().MaskEdit1, Qt::Key_0 + (c.unicode() - '0'), QString(c));
    }

    // Tab takes the focus on to the next control.
    static void LeaveSpeedField(TForm1& f) {
        Key(f.Options().MaskEdit1, Qt::Key_Tab);
        ASSERT_NE(QApplication::focusWidget(), f.Options().MaskEdit1);
    }
};

// Without a settings file the defaults show, and the unticking of the music box during
// start-up writes the file once: section Options, nine keys in order, nothing else.
TEST_F(OptionsPage, FirstRunShowsTheDefaultsAndWritesTheFileOnce) {
    TForm1& f = Form();
    EXPECT_EQ(writes->TakePasses(), 1);
    EXPECT_EQ(Ini(), "[Options]\r\nAutoSave=0\r\nEnableProxy=0\r\nMusic=\r\nProxy=\r\n"
                     "ProxyUser=\r\nProxyPwd=\r\nPort=8080\r\nSpeed=750\r\nSound=1\r\n");
    EXPECT_TRUE(f.Options().CheckBoxSound->isChecked());
    EXPECT_FALSE(f.Options().CheckBox2->isChecked());
    EXPECT_EQ(f.Options().MaskEdit1->displayText(), " 750");
    EXPECT_FALSE(f.Options().CheckBoxMusic->isChecked());
    EXPECT_FALSE(style::OwnEnabled(f.Options().ComboBox1));
    EXPECT_EQ(f.Options().ComboBox1->currentText(), "");
    EXPECT_EQ(sound.commands,
              (std::vector<std::string>{"STOP LexfallMusic", "CLOSE LexfallMusic"}));
    EXPECT_FALSE(f.Options().CheckBox1->isChecked());
    EXPECT_EQ(f.Options().EditIP->text(), "");
    EXPECT_EQ(f.Options().EditPort->text(), "8080");
    for (QLineEdit* field : {f.Options().EditIP, f.Options().EditPort, f.Options().EditProxyUser,
                             f.Options().EditProxyPwd})
        EXPECT_TRUE(style::OwnEnabled(field));
    EXPECT_EQ(f.Records().MyScore[FigureRow::Keeper]->text(), "Player1");
    EXPECT_EQ(RecordName(f.game().GameRec()), "Player1");
}

// The start-up does the work of each box the file's options change without making the page:
// the music stops and the file is written once per step. The page, made later, shows those
// options, and making it runs no handler.
TEST_F(OptionsPage, StartUpDoesTheBoxesWorkAndThePageIsMadeWhenFirstNeeded) {
    LayIni("[Options]\r\nSound=0\r\nAutoSave=1\r\nSpeed=500\r\nEnableProxy=1\r\n"
           "Proxy=10.0.0.1\r\nPort=3128\r\n");
    TForm1& f = Form();
    EXPECT_TRUE(f.findChildren<QCheckBox*>().isEmpty());
    EXPECT_EQ(writes->TakePasses(), 2); // the music box's step, then the sound and auto-save boxes'
    EXPECT_EQ(Option("Music"), "");
    EXPECT_EQ(sound.commands,
              (std::vector<std::string>{"STOP LexfallMusic", "CLOSE LexfallMusic"}));

    f.Button2->click();
    f.Records().Button6->click();
    const auto& page = f.Options();
    EXPECT_FALSE(page.PanelOptions->isHidden());
    EXPECT_FALSE(page.CheckBoxMusic->isChecked());
    EXPECT_FALSE(style::OwnEnabled(page.ComboBox1));
    EXPECT_FALSE(page.CheckBoxSound->isChecked());
    EXPECT_TRUE(page.CheckBox2->isChecked());
    EXPECT_EQ(page.MaskEdit1->displayText(), " 500");
    EXPECT_TRUE(page.CheckBox1->isChecked());
    EXPECT_EQ(page.EditIP->text(), "10.0.0.1");
    EXPECT_EQ(page.EditPort->text(), "3128");
    EXPECT_FALSE(style::OwnEnabled(page.EditIP));
    EXPECT_EQ(writes->TakePasses(), 0);
    EXPECT_EQ(sound.commands.size(), 2u);
    // Made and wired: its boxes work as before.
    page.CheckBoxSound->click();
    EXPECT_TRUE(f.settings.Sound);
    EXPECT_EQ(writes->TakePasses(), 1);
}

// The game is named after the first 20 characters of the player's name; an empty name
// gives the default. The file keeps the whole name: the game never writes section Register.
TEST_F(OptionsPage, UserNameNamesTheGame) {
    const std::string longName = "Abcdefghij klmnopqrst UVW"; // 25 characters
    const struct {
        std::string stored;
        std::string shown;
    } cases[] = {{"", "Player1"}, {longName, longName.substr(0, 20)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        form.reset();
        const std::string registerSection = "[Register]\r\nUserName=" + c.stored + "\r\n";
        LayIni(registerSection);
        TForm1& f = Form();
        EXPECT_EQ(f.Records().MyScore[FigureRow::Keeper]->text().remove('\n').toStdString(),
                  c.shown); // wrapped when long
        EXPECT_EQ(RecordName(f.game().GameRec()), c.shown);
        EXPECT_EQ(f.settings.UserName, c.stored.empty() ? "Player1" : c.stored);
        EXPECT_EQ(Ini().rfind(registerSection, 0), 0u) << Ini();
        EXPECT_EQ(profile::FindValue(Ini(), "register", "username"), c.stored);
    }
}

// Sound=0 unticks the box at start-up, whose handler rewrites the file once; with Sound off
// the clear key's chime is not requested.
TEST_F(OptionsPage, SoundOffInTheFileUnticksTheBoxAndSilencesTheWaves) {
    LayIni("[Options]\r\nSound=0\r\nMusic=a.mid\r\n"); // music named: its step writes nothing
    TForm1& f = Form();
    EXPECT_FALSE(f.Options().CheckBoxSound->isChecked());
    EXPECT_FALSE(f.settings.Sound);
    EXPECT_EQ(writes->TakePasses(), 1);
    EXPECT_EQ(Ini(), "[Options]\r\nSound=0\r\nMusic=a.mid\r\nAutoSave=0\r\nEnableProxy=0\r\n"
                     "Proxy=\r\nProxyUser=\r\nProxyPwd=\r\nPort=8080\r\nSpeed=750\r\n");

    f.Button1Click(f.Button1);
    TickUntilLanded();
    f.FormKeyDown(vk::Delete, {true, false, false});
    ASSERT_TRUE(f.game().Cheated());
    EXPECT_TRUE(sound.waves.empty());

    f.Button2Click(f.Button2);
    f.Button6Click(f.Records().Button6);
    f.Options().CheckBoxSound->click();
    ASSERT_TRUE(f.settings.Sound);
    f.FormKeyDown(vk::Delete, {true, false, false});
    EXPECT_EQ(sound.waves, std::vector<std::string>{"sound\\chimes.wav"});
}

// AutoSave=1 ticks its box at start-up, whose handler rewrites the file once; the speed
// shows in the field without any handler.
TEST_F(OptionsPage, AutoSaveOnInTheFileTicksTheBoxAndRewritesOnce) {
    LayIni("[Options]\r\nAutoSave=1\r\nSpeed=500\r\nMusic=a.mid\r\n");
    TForm1& f = Form();
    EXPECT_TRUE(f.Options().CheckBox2->isChecked());
    EXPECT_TRUE(f.settings.AutoSave);
    EXPECT_EQ(f.Options().MaskEdit1->displayText(), " 500");
    EXPECT_EQ(writes->TakePasses(), 1);
    EXPECT_EQ(Option("AutoSave"), "1");
    EXPECT_EQ(Option("Speed"), "500");
}

// Each tick box stores its tick and writes the file at once, both ways.
TEST_F(OptionsPage, TickBoxesWriteTheirSettingAtOnce) {
    TForm1& f = ShowOptionsPage();
    writes->Take();
    const struct {
        QCheckBox* box;
        const char* key;
        bool Settings::*setting;
    } boxes[] = {{f.Options().CheckBoxSound, "Sound", &Settings::Sound},
                 {f.Options().CheckBox2, "AutoSave", &Settings::AutoSave}};
    for (const auto& b : boxes) {
        SCOPED_TRACE(b.key);
        for (int click = 0; click < 2; ++click) {
            b.box->click();
            const bool ticked = b.box->isChecked();
            EXPECT_EQ(f.settings.*b.setting, ticked);
            EXPECT_EQ(Option(b.key), ticked ? "1" : "0");
            EXPECT_EQ(writes->TakePasses(), 1);
        }
    }
}

// Typing 0 and leaving the field stores 0; a game started then still lets letters fall.
TEST_F(OptionsPage, TypedZeroSpeedIsStoredAndTheNextGameStillDrops) {
    TForm1& f = ShowOptionsPage();
    dialogs.messages.clear();
    TypeIntoSpeedField(f, QStringLiteral("0"));
    ASSERT_EQ(f.Options().MaskEdit1->displayText(), "0   ");
    writes->Take();
    EXPECT_EQ(f.settings.Speed, 750) << "nothing is taken before the field is left";
    LeaveSpeedField(f);
    EXPECT_EQ(f.settings.Speed, 0);
    EXPECT_EQ(Option("Speed"), "0");
    EXPECT_EQ(writes->TakePasses(), 1);
    EXPECT_TRUE(dialogs.messages.empty());

    f.Button7Click(f.Options().Button7);
    f.Button1Click(f.Button1);
    EXPECT_GE(f.Timer1->Interval(), 1);
    EXPECT_TRUE(Counting(*f.Timer1));
}

// An empty field is no number: leaving it shows the conversion error and changes nothing.
// The window losing activation does not leave the field.
TEST_F(OptionsPage, ClearedSpeedFieldShowsTheConversionError) {
    TForm1& f = ShowOptionsPage();
    dialogs.messages.clear();
    const std::string before = Ini();
    TypeIntoSpeedField(f, {});
    ASSERT_EQ(f.Options().MaskEdit1->displayText(), "    ");
    writes->Take();
    QApplication::setActiveWindow(nullptr);
    EXPECT_TRUE(dialogs.messages.empty());
    QApplication::setActiveWindow(&f);
    ASSERT_EQ(QApplication::focusWidget(), f.Options().MaskEdit1);
    LeaveSpeedField(f);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"'' is not a valid integer value"});
    EXPECT_EQ(f.settings.Speed, 750);
    EXPECT_EQ(writes->Take(), 0);
    EXPECT_EQ(Ini(), before);
}

// The arrows step the shown number by 10, store and write it; Start takes it as the drop

// The field has four digit places: typing overwrites the place under the cursor.
TEST_F(OptionsPage, TypingOverwritesADigitPlace) {
    TForm1& f = ShowOptionsPage();
    f.Options().MaskEdit1->setFocus();
    f.Options().MaskEdit1->setCursorPosition(1);
    Key(f.Options().MaskEdit1, Qt::Key_5, QStringLiteral("5"));
    EXPECT_EQ(f.Options().MaskEdit1->displayText(), " 550");
    LeaveSpeedField(f);
    EXPECT_EQ(f.settings.Speed, 550);
}
// interval.
TEST_F(OptionsPage, ArrowsStepByTenAndTheNextGameTakesTheSpeed) {
    TForm1& f = ShowOptionsPage();
    writes->Take();
    f.Options().UpDownUp->click();
    EXPECT_EQ(f.Options().MaskEdit1->displayText(), " 760");
    EXPECT_EQ(f.settings.Speed, 760);
    EXPECT_EQ(Option("Speed"), "760");
    EXPECT_EQ(writes->TakePasses(), 1);
    f.Options().UpDownDown->click();
    f.Options().UpDownDown->click();
    EXPECT_EQ(f.Options().MaskEdit1->displayText(), " 740");
    EXPECT_EQ(Option("Speed"), "740");
    EXPECT_EQ(writes->TakePasses(), 2);

    f.Button7Click(f.Options().Button7);
    f.Button1Click(f.Button1);
    EXPECT_EQ(f.Timer1->Interval(), 740);
}

// A stored speed outside the arrows' range shows as the nearest value in it, and the arrows
// step from what is shown.
TEST_F(OptionsPage, StoredSpeedOutOfRangeShowsTheNearestValue) {
    LayIni("[Options]\r\nSpeed=0\r\n");
    TForm1& f = ShowOptionsPage();
    EXPECT_EQ(f.Options().MaskEdit1->displayText(), "   1");
    EXPECT_EQ(f.settings.Speed, 0) << "showing changes no setting";
    f.Options().UpDownUp->click();
    EXPECT_EQ(f.Options().MaskEdit1->displayText(), "  11");
    EXPECT_EQ(Option("Speed"), "11");
}

// A refused write shows its error; the setting in memory keeps its new value. (A folder in
// the file's place refuses writes even to a privileged user, whom file modes do not stop.)
TEST_F(OptionsPage, RefusedWriteShowsTheErrorAndKeepsTheNewValue) {
    std::filesystem::create_directory(IniPath());
    const std::string refused = "Unable to write to " + IniPath();
    TForm1& f = ShowOptionsPage();
    EXPECT_EQ(std::count(dialogs.messages.begin(), dialogs.messages.end(), refused), 1)
        << "the start-up write";

    dialogs.messages.clear();
    f.Options().CheckBoxSound->click();
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{refused});
    EXPECT_FALSE(f.settings.Sound);
    f.Options().UpDownUp->click();
    EXPECT_EQ(f.settings.Speed, 760);
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(std::filesystem::is_directory(IniPath()));

    f.Button1Click(f.Button1);
    EXPECT_EQ(f.Timer1->Interval(), 760);
}

} // namespace
} // namespace lexfall::testing
