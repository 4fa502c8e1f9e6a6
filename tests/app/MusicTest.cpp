// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/SettingsFixture.h"

#include "app/FormStyle.h"
#include "app/MusicComboBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>

namespace lexfall::testing {
namespace {

// The music box on the options page, with a sound folder of a few pieces beside the program.
class MusicChoice : public SettingsFormTest {
protected:
    void PrepareAppDir(const QString& path) override {
        ASSERT_TRUE(QDir(path).mkpath("sound/x.mid")); // a folder is listed like a file
        for (const char* name : {"b.mid", "a.mid", ".hidden.mid", "notes.txt", "chimes.wav"}) {
            QFile file(path + "sound/" + name);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
    }

    std::vector<std::string> Play(const std::string& name) const {
        return {"OPEN \"" + appDir + "sound\\" + name + "\" TYPE SEQUENCER ALIAS LexfallMusic",
                "PLAY LexfallMusic from 0"};
    }
    static std::vector<std::string> Stop() { return {"STOP LexfallMusic", "CLOSE LexfallMusic"}; }
    std::vector<std::string> Switch(const std::string& name) const {
        std::vector<std::string> commands = Stop();
        for (const std::string& command : Play(name))
            commands.push_back(command);
        return commands;
    }

    static std::vector<std::string> Listed(MusicComboBox* box) {
        std::vector<std::string> names;
        for (int i = 0; i < box->count(); ++i)
            names.push_back(box->itemText(i).toStdString());
        return names;
    }

    // The options page of a program started with this music setting; what start-up sent and
    // wrote is forgotten.
    TForm1& StartWithMusic(const std::string& music) {
        LayIni("[Options]\r\nMusic=" + music + "\r\n");
        TForm1& f = ShowOptionsPage();
        sound.commands.clear();
        writes->Take();
        return f;
    }
};

// A music name in the file is shown, ticked and played; start-up writes nothing for it.
TEST_F(MusicChoice, StartUpWithAMusicNamePlaysIt) {
    const std::string ini = "[Options]\r\nMusic=b.mid\r\n";
    LayIni(ini);
    TForm1& f = Form();
    EXPECT_EQ(f.Options().ComboBox1->currentText(), "b.mid");
    EXPECT_TRUE(f.Options().CheckBoxMusic->isChecked());
    EXPECT_TRUE(style::OwnEnabled(f.Options().ComboBox1));
    EXPECT_EQ(f.Options().ComboBox1->count(), 0) << "the list is filled by the first drop-down";
    EXPECT_EQ(sound.commands, Play("b.mid"));
    EXPECT_EQ(writes->Take(), 0);
    EXPECT_EQ(Ini(), ini);
}

// Choosing another entry in the dropped list switches the piece and writes the settings once;
// choosing the entry shown changes no text, so nothing runs.
TEST_F(MusicChoice, ChoosingAnotherEntrySwitchesOnce) {
    TForm1& f = StartWithMusic("a.mid");
    auto choose = [&](const char* entry) {
        f.Options().ComboBox1->showPopup();
        QAbstractItemView* list = f.Options().ComboBox1->view();
        list->setCurrentIndex(
            f.Options().ComboBox1->model()->index(f.Options().ComboBox1->findText(entry), 0));
        Key(list, Qt::Key_Return);
    };
    choose("b.mid");
    EXPECT_EQ(sound.commands, Switch("b.mid"));
    EXPECT_EQ(writes->TakePasses(), 1);
    EXPECT_EQ(Option("Music"), "b.mid");
    EXPECT_EQ(f.settings.Music, "b.mid");
    EXPECT_EQ(f.Options().ComboBox1->currentText(), "b.mid");

    sound.commands.clear();
    choose("b.mid");
    EXPECT_TRUE(sound.commands.empty());
    EXPECT_EQ(writes->Take(), 0);
}

// Each keystroke runs the change with the text as it then stands, wherever the player types.
TEST_F(MusicChoice, TypingRunsTheChangeAtEachKeystroke) {
    TForm1& f = StartWithMusic("a.mid");
    QLineEdit* field = f.Options().ComboBox1->lineEdit();
    f.Options().ComboBox1->setFocus();
    field->setCursorPosition(5);
    Key(field, Qt::Key_Backspace);
    EXPECT_EQ(f.Options().ComboBox1->currentText(), "a.mi");
    EXPECT_EQ(sound.commands, Switch("a.mi"));
    EXPECT_EQ(Option("Music"), "a.mi");
    EXPECT_EQ(writes->TakePasses(), 1);
    EXPECT_EQ(f.Options().ComboBox1->count(), 4) << "typing drops the list down";

    sound.commands.clear();
    field->setCursorPosition(1);
    Key(field, Qt::Key_B, QStringLiteral("b"));
    Key(field, Qt::Key_C, QStringLiteral("c"));
    EXPECT_EQ(f.Options().ComboBox1->currentText(), "abc.mi");
    std::vector<std::string> expected = Switch("ab.mi");
    for (const std::string& command : Switch("abc.mi"))
        expected.push_back(command);
    EXPECT_EQ(sound.commands, expected);
    EXPECT_EQ(f.settings.Music, "abc.mi");
    EXPECT_EQ(writes->TakePasses(), 2);
}

// Typing drops the list down once: the keys typed while it is shown do not list the folder
// again.
TEST_F(MusicChoice, TypingDropsTheListDownOnce) {
    TForm1& f = StartWithMusic("a.mid");
    int dropDowns = 0;
    const std::function<void()> dropDown = f.Options().ComboBox1->onDropDown;
    f.Options().ComboBox1->onDropDown = [&] {
        ++dropDowns;
        dropDown();
    };
    QLineEdit* field = f.Options().ComboBox1->lineEdit();
    f.Options().ComboBox1->setFocus();
    field->setCursorPosition(1);
    for (const char* letter : {"b", "c", "d"})
        Key(field, Qt::Key_unknown, QString::fromLatin1(letter));
    EXPECT_EQ(f.Options().ComboBox1->currentText(), "abcd.mid");
    EXPECT_EQ(dropDowns, 1);
    EXPECT_EQ(f.Options().ComboBox1->count(), 4);
}

// Moving through the list shown while typing takes each entry as the player reaches it;
// confirming the entry reached switches nothing more.
TEST_F(MusicChoice, MovingThroughTheTypingListSwitchesAtEachEntry) {
    TForm1& f = StartWithMusic("a.mid");
    QLineEdit* field = f.Options().ComboBox1->lineEdit();
    f.Options().ComboBox1->setFocus();
    field->setCursorPosition(5);
    Key(field, Qt::Key_Backspace);
    ASSERT_NE(QApplication::activePopupWidget(), nullptr) << "typing shows the list";
    std::vector<std::string> expected = Switch("a.mi");
    std::vector<std::string> reached;
    for (int step = 0; step < 2; ++step) {
        Key(field, Qt::Key_Down);
        reached.push_back(f.Options().ComboBox1->currentText().toStdString());
        for (const std::string& command : Switch(reached.back()))
            expected.push_back(command);
    }
    ASSERT_NE(reached[0], reached[1]);
    EXPECT_NE(f.Options().ComboBox1->findText(QString::fromStdString(reached[1])), -1);
    Key(field, Qt::Key_Return);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    EXPECT_EQ(sound.commands, expected);
    EXPECT_EQ(f.Options().ComboBox1->currentText().toStdString(), reached[1]);
    EXPECT_EQ(Option("Music"), reached[1]);
    EXPECT_EQ(writes->TakePasses(), 3);
}

// Unticking stops the piece and empties Music while the name stays shown; ticking again
// plays the shown name.
TEST_F(MusicChoice, UntickKeepsTheShownNameAndTickPlaysIt) {
    TForm1& f = StartWithMusic("a.mid");
    f.Options().CheckBoxMusic->click();
    EXPECT_EQ(sound.commands, Stop());
    EXPECT_EQ(f.Options().ComboBox1->currentText(), "a.mid");
    EXPECT_FALSE(style::OwnEnabled(f.Options().ComboBox1));
    EXPECT_EQ(f.settings.Music, "");
    EXPECT_EQ(Option("Music"), "");
    EXPECT_EQ(writes->TakePasses(), 1);

    sound.commands.clear();
    f.Options().CheckBoxMusic->click();
    EXPECT_EQ(sound.commands, Play("a.mid"));
    EXPECT_TRUE(style::OwnEnabled(f.Options().ComboBox1));
    EXPECT_EQ(Option("Music"), "a.mid");
    EXPECT_EQ(writes->TakePasses(), 1);
}

// Ticking with an empty box before the list was ever dropped names no piece, so nothing plays
// and Music stays empty; the next start comes up unticked.
TEST_F(MusicChoice, TickingAnEmptyBoxBeforeAnyDropDownPlaysNothing) {
    TForm1& f = ShowOptionsPage();
    sound.commands.clear();
    writes->Take();
    f.Options().CheckBoxMusic->click();
    ASSERT_TRUE(f.Options().CheckBoxMusic->isChecked());
    EXPECT_EQ(sound.commands, Play("")) << "the open names the folder itself";
    EXPECT_EQ(f.Options().ComboBox1->currentText(), "");
    EXPECT_EQ(f.settings.Music, "");
    EXPECT_EQ(Option("Music"), "");
    EXPECT_EQ(writes->TakePasses(), 1);

    form.reset();
    EXPECT_FALSE(Form().Options().CheckBoxMusic->isChecked());
}

// Each drop-down lists the folder afresh, every *.mid entry once, sorted, and shows Music.
TEST_F(MusicChoice, DroppingTheListTwiceListsEachEntryOnce) {
    TForm1& f = StartWithMusic("b.mid");
    const std::vector<std::string> expected{".hidden.mid", "a.mid", "b.mid", "x.mid"};
    for (int drop = 0; drop < 2; ++drop) {
        f.Options().ComboBox1->showPopup();
        EXPECT_EQ(Listed(f.Options().ComboBox1), expected);
        EXPECT_EQ(f.Options().ComboBox1->currentText(), "b.mid");
        f.Options().ComboBox1->hidePopup();
    }
    EXPECT_TRUE(sound.commands.empty());
    EXPECT_EQ(writes->Take(), 0);
}

// Names beyond ASCII: a file "Café.mid" is listed and played as it is named, and text typed
// into the box keeps characters beyond Latin-1.
TEST_F(MusicChoice, NamesKeepTheirCharacters) {
    {
        QFile file(QString::fromStdString(appDir) + QStringLiteral("sound/Caf\u00E9.mid"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    TForm1& f = StartWithMusic("a.mid");
    f.Options().ComboBox1->showPopup();
    const int cafe = f.Options().ComboBox1->findText(QStringLiteral("Caf\u00E9.mid"));
    ASSERT_NE(cafe, -1);
    QAbstractItemView* list = f.Options().ComboBox1->view();
    list->setCurrentIndex(f.Options().ComboBox1->model()->index(cafe, 0));
    Key(list, Qt::Key_Return);
    EXPECT_EQ(f.settings.Music, "Caf\xC3\xA9.mid");
    EXPECT_EQ(sound.commands, Switch("Caf\xC3\xA9.mid"));

    QLineEdit* field = f.Options().ComboBox1->lineEdit();
    f.Options().ComboBox1->setFocus();
    field->selectAll();
    Key(field, Qt::Key_unknown, QStringLiteral("\u20AC"));
    EXPECT_EQ(f.settings.Music, "\xE2\x82\xAC");
    EXPECT_EQ(Option("Music"), "\xE2\x82\xAC");
}

} // namespace
} // namespace lexfall::testing
