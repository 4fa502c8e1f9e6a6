// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A real window on the offscreen platform, with every service replaced by a test double and a
// fresh program folder of its own.
#include "app/Canvas.h"
#include "app/GameTimer.h"
#include "app/TForm1.h"
#include "support/ScratchDir.h"
#include "support/TestServices.h"
#include "support/TimerProbe.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace lexfall::testing {

class FormTest : public ::testing::Test, protected TestServices {
protected:
    // Files to lay into the program folder before the window starts.
    virtual void PrepareAppDir(const QString&) {}

    void SetUp() override { PrepareAppDir(QString::fromStdString(appDir)); }

    TForm1& Form() {
        if (!form)
            form = std::make_unique<TForm1>(For(appDir));
        return *form;
    }

    // The record file in the program folder.
    std::string RecordsPath() const { return dir.File("Records.dat"); }
    void LayRecordFile(const std::string& bytes) const { dir.Put("Records.dat", bytes); }
    std::string RecordsBytes() const { return dir.Get("Records.dat"); }

    // Runs drop ticks until the falling letter lands (or the game ends).
    void TickUntilLanded() {
        TForm1& f = Form();
        const int letters = f.game().GameRec().UsedLetters;
        for (int i = 0; i < 20 && f.game().GameRec().UsedLetters == letters; ++i)
            f.Timer1Timer();
    }

    QRgb BoardPixel(int x, int y) { return Form().Image1->Image().pixel(x, y); }

    ScratchDir dir;
    const std::string appDir = dir.Dir();
    std::unique_ptr<TForm1> form;
};

// Plays a game to its end at once: Start, these figures counted, and a letter that comes to
// rest in the top row.
inline void PlayGameWith(TForm1& f, std::int32_t time, std::int32_t letters, std::int32_t words) {
    f.Button1Click(f.Button1);
    TScoreRec& figures = f.SetUpGame().FiguresToSetUp();
    figures.UsedTime = time;
    figures.UsedLetters = letters - 1; // the last letter is counted as it lands
    figures.CompletedWords = words;
    f.SetUpGame().PutLetter(3, 1, 'E');
    f.Timer1Timer();
}

// A dictionary of one record that spells no word: games run without words and without the
// missing-dictionary box, which an empty file would bring up.
inline const std::string kWordlessDict(9, '\0');

// r values that give a letter from the next-letter table.
constexpr int kE = 0, kA = 121, kS = 348, kT = 655, kD = 440, kB = 712, kC = 735;

} // namespace lexfall::testing
