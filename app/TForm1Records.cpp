// SPDX-License-Identifier: GPL-3.0-or-later
// The game clock, the end of a game and the records page.
#include "app/Canvas.h"
#include "app/FormStyle.h"
#include "app/GameTimer.h"
#include "app/HistoryPage.h"
#include "app/TForm1.h"
#include "media/Music.h"
#include "platform/qt/QtSystemText.h"
#include "records/EndOfGame.h"
#include "records/Figures.h"
#include "records/GameClock.h"
#include "records/RecordFile.h"
#include "text/DayCount.h"
#include "words/Dictionary.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <array>
#include <cstddef>

namespace lexfall {
namespace {

QColor BrokenColour(Broken broken) {
    return broken == Broken::World ? style::kRed : style::kGreen;
}

} // namespace

void TForm1::Timer2Timer() {
    const std::int32_t seconds = game_.ClockSecond();
    Timer1->SetInterval(SpeedUpInterval(Timer1->Interval(), seconds));
    style::SetCaption(Records().MyScore[FigureRow::Time], FormatWhole(seconds));
}

void TForm1::Button2Click(QObject* sender) {
    if (sender == nullptr) {
        EvaluateGame();
        KeepInHistory();
    }
    ShowRecordsPage();
}

void TForm1::ShowRecordsPage() {
    // Whichever page the player is on gives way: a game can end behind the options page.
    QFrame* records = Records().PanelRecord;
    for (QFrame* page : {PanelGame, options_ ? options_->PanelOptions : nullptr,
                         history_ ? history_->PanelHistory : nullptr})
        if (page != nullptr && !page->isHidden())
            ShowPage(records, page);
}

void TForm1::EvaluateGame() {
    dictionary_->CloseDict();
    PlayWave(GameOverWave);
    if (!game_.RecordsRead()) {
        // Still unreadable: the verdict says so below the grid, so no box here.
        try {
            ReadRecordsAgain();
        } catch (const std::exception&) {
        }
    }
    const RecordsPage& page = Records();
    const EndOfGameVerdict verdict = game_.Evaluate(settings.AutoSave);
    const TScoreRec& game = game_.GameRec();
    style::SetCaption(page.MyScore[FigureRow::Total], FormatWhole(game.Total));
    ShowRatios(page.MyScore, game);

    for (std::size_t i = 0; i < kRecordFigureRows.size(); ++i)
        if (verdict.figures[i] != Broken::None)
            NewRecord(page.MyRecord[kRecordFigureRows[i]], page.MyScore[kRecordFigureRows[i]],
                      BrokenColour(verdict.figures[i]));
    if (verdict.banner != Broken::None && style::TextColour(page.LabelBroken) != style::kRed)
        style::SetTextColour(page.LabelBroken, BrokenColour(verdict.banner));
    if (!verdict.text.empty())
        SetBrokenText(verdict.text);

    if (verdict.save == SaveStep::None)
        return;
    page.Button8->setEnabled(true);
    if (verdict.save != SaveStep::Run)
        return;
    if (AutoSave()) {
        if (!verdict.savedText.empty())
            AppendBroken(verdict.savedText);
    } else if (game_.Unsaved()) {
        // Still to be saved: Start and closing ask about it.
        AppendBroken(kRecordNotSavedText);
    }
}

bool TForm1::OfferUnsavedRecord(bool canStay) {
    if (!game_.Unsaved())
        return true;
    const std::string question = "Your last game is a new record that has not been saved. "
                                 "Save it now?";
    const Dialogs::Answer answer =
        canStay ? dialogs_.AskYesNoCancel(question)
                : (dialogs_.Confirm(question) ? Dialogs::Answer::Yes : Dialogs::Answer::No);
    if (answer == Dialogs::Answer::Cancel)
        return false;
    if (answer == Dialogs::Answer::No) {
        game_.UnsavedDeclined();
        return true;
    }
    // A save that fails throws: the record stays unsaved, and closing stays.
    SaveRec(false, true);
    return true;
}

bool TForm1::AutoSave() {
    // A failed save is shown and the evaluation goes on, without claiming that it saved.
    try {
        return SaveRec(false, false);
    } catch (const std::exception& error) {
        dialogs_.ShowMessage(error.what());
        return false;
    }
}

void TForm1::NewRecord(QLabel* ownLabel, QLabel* gameLabel, QColor colour) {
    PlayWave(RecBrokenWave);
    for (QLabel* label : {ownLabel, gameLabel})
        if (style::TextColour(label) != style::kRed)
            style::SetTextColour(label, colour);
}

void TForm1::SetBrokenText(const std::string& text) {
    brokenText_ = text;
    // The texts are joined by two carriage returns; on screen that is one empty line.
    QString shown = FromSystemText(text);
    shown.replace('\r', '\n');
    const RecordsPage& page = Records();
    page.LabelBroken->setText(shown);
    // Wrapped at the page's right margin, so no text runs off the window.
    page.LabelBroken->setWordWrap(true);
    const int width = page.PanelRecord->width() - page.LabelBroken->x() - kBorderWidth;
    page.LabelBroken->resize(width, page.LabelBroken->heightForWidth(width));
}

void TForm1::AppendBroken(const std::string& text) {
    SetBrokenText(brokenText_ + "\r\r" + text);
}

void TForm1::Button8Click(QObject* sender) {
    SaveRec(sender != nullptr, sender != nullptr);
}

bool TForm1::SaveRec(bool ask, bool seenByPlayer) {
    if (!game_.Finished()) {
        // Before the first game GameRec is an empty record of 1899; saving it would wipe
        // the stored one.
        dialogs_.ShowMessage(kNoGameToSaveText);
        return false;
    }
    std::string question = "Save your current game score as your record, are you sure?";
    if (!game_.RecordsRead()) {
        // What a save would overwrite has never been seen: read it first.
        ReadRecordsAgain();
        if (game_.MyRec().Total > game_.GameRec().Total) {
            question = "Your stored record has a higher total score (" +
                       FormatWhole(game_.MyRec().Total) + ") than this game (" +
                       FormatWhole(game_.GameRec().Total) + "). Replace it with this game?";
            // A player's save never replaces a better record without this question.
            ask = ask || seenByPlayer;
        }
    }
    if (ask && !dialogs_.Confirm(question))
        return false;
    // The record in memory changes only once the file took the game: a failed save leaves
    // the page and the unsaved game as they were.
    const TScoreRec seen = game_.MyRec();
    const auto kept = SaveMyRecUnless(services_.recordsDir, dialogs_, game_.GameRec(),
                                      game_.WorldRec(), [&](const TScoreRec& stored) {
                                          return KeepStoredMyRec(stored, game_.GameRec(),
                                                                 seenByPlayer ? &seen : nullptr);
                                      });
    Records().Button8->setEnabled(false);
    if (!kept) {
        game_.SaveSucceeded();
        ShowMyRec();
        return true;
    }
    // Another copy of the game saved a better record meanwhile (or, automatically, this game
    // beat the world but not the player): the better one stays.
    game_.MyRecChanged(*kept);
    ShowMyRec();
    dialogs_.ShowMessage("The record file holds a better record (total " +
                         FormatWhole(kept->Total) + ") than this game (total " +
                         FormatWhole(game_.GameRec().Total) +
                         "). It has been kept, and this game was not saved.");
    return false;
}

void TForm1::ReadRecordsAgain() {
    // Into copies: a read that fails must not take the records in memory with it (they may
    // have been fetched from the server since start-up).
    TScoreRec mine{};
    TScoreRec world{};
    bool read = false;
    LoadRecords(services_.recordsDir, dialogs_, services_.clock.Today(), mine, world, read);
    game_.RecordsLoaded(mine, world, read);
    ShowMyRec();
    ShowWorldRec();
}

void TForm1::ShowRatios(const std::array<QLabel*, FigureRow::kCount>& labels,
                        const TScoreRec& rec) {
    if (const auto perWord = LettersPerWord(rec))
        style::SetCaption(labels[FigureRow::LettersPerWord],
                          FormatRatio(*perWord, services_.regional));
    if (const auto perMinute = WordsPerMinute(rec))
        style::SetCaption(labels[FigureRow::WordsPerMinute],
                          FormatRatio(*perMinute, services_.regional));
    if (const auto secondsPerWord = SecondsPerWord(rec))
        style::SetCaption(labels[FigureRow::SecondsPerWord],
                          FormatRatio(*secondsPerWord, services_.regional));
}

void TForm1::ShowRecord(const std::array<QLabel*, FigureRow::kCount>& labels, QLabel* dateLabel,
                        const TScoreRec& rec) {
    ShowKeeper(labels[FigureRow::Keeper], RecordName(rec));
    style::SetCaption(labels[FigureRow::Time], FormatWhole(rec.UsedTime));
    style::SetCaption(labels[FigureRow::Letters], FormatWhole(rec.UsedLetters));
    style::SetCaption(labels[FigureRow::Words], FormatWhole(rec.CompletedWords));
    ShowRatios(labels, rec);
    style::SetCaption(labels[FigureRow::Total], FormatWhole(rec.Total));
    style::SetCaption(dateLabel, FormatIsoDate(rec.Date));
}

void TForm1::ShowKeeper(QLabel* label, const std::string& name) {
    constexpr int kColumnWidth = 112;
    constexpr char kRowTop[] = "lexfallRowTop";
    if (!label->property(kRowTop).isValid())
        label->setProperty(kRowTop, label->y());
    const int rowTop = label->property(kRowTop).toInt();
    const int width = std::min(kColumnWidth - kBorderWidth,
                               Records().PanelRecord->width() - kBorderWidth - label->x());
    // Broken after the last blank that fits, else anywhere: twenty letters fit in two lines.
    const QString text = FromSystemText(name);
    const QFontMetrics metrics(label->font());
    QStringList lines;
    QString line;
    for (const QChar c : text) {
        if (!line.isEmpty() && metrics.horizontalAdvance(line + c) > width) {
            const qsizetype blank = line.lastIndexOf(' ');
            // The blank stays at the line's end, so the text less its breaks is the name.
            if (blank > 0) {
                lines << line.left(blank + 1);
                line = line.mid(blank + 1);
            } else {
                lines << line;
                line.clear();
            }
        }
        line += c;
    }
    lines << line;
    label->setText(lines.join('\n'));
    label->adjustSize();
    // Extra lines go up into the free space under the dates, so the name ends on its row.
    label->move(label->x(), rowTop - metrics.lineSpacing() * static_cast<int>(lines.size() - 1));
}

void TForm1::ShowMyRec() {
    const RecordsPage& page = Records();
    ShowRecord(page.MyRecord, page.Label2, game_.MyRec());
}

void TForm1::ShowWorldRec() {
    const RecordsPage& page = Records();
    ShowRecord(page.WRecord, page.Label3, game_.WorldRec());
}

} // namespace lexfall
