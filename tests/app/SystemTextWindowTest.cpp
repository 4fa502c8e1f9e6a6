// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FormFixture.h"

#include "platform/qt/QtDialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace lexfall::testing {
namespace {

// The records page in each locale: the separators and the date format come from the locale
// and show as the locale writes them, multi-byte separators included.
TEST_F(FormTest, RegionalSeparatorsShowAsTheLocaleWritesThem) {
    struct Case {
        const char* locale;
        QString ratio; // Letters per Word of 1500 letters in one word
        const char* dateFormat;
    };
    const Case cases[] = {
        {"C.UTF-8", QStringLiteral("1500.00"), "%m/%d/%y"},
        {"en_US.UTF-8", QStringLiteral("1,500.00"), "%m/%d/%Y"},
        {"fr_FR.UTF-8", QStringLiteral("1\u202F500,00"), "%d/%m/%Y"},
        {"de_CH.UTF-8", QStringLiteral("1\u2019500.00"), "%d.%m.%Y"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        const RegionalSettings localeSettings = ReadRegionalSettings(c.locale);
        EXPECT_EQ(localeSettings.shortDateFormat, c.dateFormat) << "is the locale generated?";
        TForm1 f(For(appDir, {.regional = &localeSettings}));
        TScoreRec mine = f.game().MyRec();
        mine.UsedLetters = 1500;
        mine.CompletedWords = 1;
        f.SetUpGame().MyRecChanged(mine);
        f.ShowMyRec();
        EXPECT_EQ(f.Records().MyRecord[FigureRow::LettersPerWord]->text(), c.ratio);
        EXPECT_GE(f.Records().MyRecord[FigureRow::LettersPerWord]->width(),
                  f.Records().MyRecord[FigureRow::LettersPerWord]->sizeHint().width());
    }
}

// A name as a record file written elsewhere holds it: bytes that are not UTF-8 show as
// Windows-1252, UTF-8 shows as it is.
TEST_F(FormTest, RecordNamesShowEveryByte) {
    TForm1& f = Form();
    TScoreRec mine = f.game().MyRec();
    TScoreRec world = f.game().WorldRec();
    SetRecordName(mine, "J\xF6rg \x80");
    SetRecordName(world, "Zo\xC3\xAB");
    f.SetUpGame().MyRecChanged(mine);
    f.SetUpGame().WorldRecChanged(world);
    f.ShowMyRec();
    f.ShowWorldRec();
    EXPECT_EQ(f.Records().MyRecord[FigureRow::Keeper]->text(), QStringLiteral("J\u00F6rg \u20AC"));
    EXPECT_EQ(f.Records().WRecord[FigureRow::Keeper]->text(), QStringLiteral("Zo\u00EB"));
}

// A message naming a folder with a non-ASCII name shows the name as it is.
TEST(SystemTextDialogs, MessagesShowPathsAsTheyAre) {
    QtDialogs dialogs;
    QString shown;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    dialogs.ShowMessage("/home/p/Spiel\xC3\xA9/Dict.dll: Permission denied");
    EXPECT_EQ(shown, QStringLiteral("/home/p/Spiel\u00E9/Dict.dll: Permission denied"));
}

} // namespace
} // namespace lexfall::testing
