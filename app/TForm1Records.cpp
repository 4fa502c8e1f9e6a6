// The game clock, the end of a game and the records page.
#include "app/Canvas.h"
#include "app/FormStyle.h"
#include "app/GameTimer.h"
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

void TForm1::ClearScore() {
    TScoreRec& game = state.GameRec;
    ClearRecord(game, RecordName(game), services_.clock.Today());
}

void TForm1::Timer2Timer() {
    ++state.GameRec.UsedTime;
    Timer1->SetInterval(SpeedUpInterval(Timer1->Interval(), state.GameRec.UsedTime));
    style::SetCaption(Records().MyScore[FigureRow::Time], FormatWhole(state.GameRec.UsedTime));
}

void TForm1::Button2Click(QObject* sender) {
    if (sender == nullptr)
        EvaluateGame();
    ShowRecordsPage();
}

void TForm1::ShowRecordsPage() {
    // Whichever page the player is on gives way: a game can end behind the options page.
    QFrame* records = Records().PanelRecord;
    for (QFrame* page : {PanelGame, options_ ? options_->PanelOptions : nullptr})
        if (page != nullptr && !page->isHidden())
            ShowPage(records, page);
}

void TForm1::EvaluateGame() {
    state.GameFinished = true;
    dictionary_->CloseDict();
    PlayWave(GameOverWave);
    if (!state.RecordsRead) {
        // Still unreadable: the verdict says so below the grid, so no box here.
        try {
            ReadRecordsAgain();
        } catch (const std::exception&) {
        }
    }
    TScoreRec& game = state.GameRec;
    const RecordsPage& page = Records();
    const EndOfGameVerdict verdict =
        EvaluateEndOfGame({state.GameRec, state.MyRec, state.WorldRec, state.Cheated,
                           state.settings.AutoSave, state.RecordsRead});
    game.Total = verdict.total;
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
    if (verdict.save == SaveStep::Run && AutoSave() && !verdict.savedText.empty())
        AppendBroken(verdict.savedText);
    // Offered, not saved: asked about before it is dropped by a new game or closing.
    state.UnsavedRecord = verdict.save == SaveStep::Offer && game.Total > state.MyRec.Total;
}

bool TForm1::OfferUnsavedRecord(bool canStay) {
    if (!state.UnsavedRecord)
        return true;
    const std::string question = "Your last game is a new record that has not been saved. "
                                 "Save it now?";
    const Dialogs::Answer answer =
        canStay
            ? services_.dialogs.AskYesNoCancel(question)
            : (services_.dialogs.Confirm(question) ? Dialogs::Answer::Yes : Dialogs::Answer::No);
    if (answer == Dialogs::Answer::Cancel)
        return false;
    if (answer == Dialogs::Answer::No) {
        state.UnsavedRecord = false;
        return true;
    }
    SaveRec(false, true);
    state.UnsavedRecord = false;
    return true;
}

bool TForm1::AutoSave() {
    // A failed save is shown and the evaluation goes on, without claiming that it saved.
    try {
        return SaveRec(false, false);
    } catch (const std::exception& error) {
        services_.dialogs.ShowMessage(error.what());
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
    if (!state.GameFinished) {
        // Before the first game GameRec is an empty record of 1899; saving it would wipe
        // the stored one.
        services_.dialogs.ShowMessage(kNoGameToSaveText);
        return false;
    }
    std::string question = "Save your current game score as your record, are you sure?";
    if (!state.RecordsRead) {
        // What a save would overwrite has never been seen: read it first.
        ReadRecordsAgain();
        if (state.MyRec.Total > state.GameRec.Total) {
            question = "Your stored record has a higher total score (" +
                       FormatWhole(state.MyRec.Total) + ") than this game (" +
                       FormatWhole(state.GameRec.Total) + "). Replace it with this game?";
            // A player's save never replaces a better record without this question.
            ask = ask || seenByPlayer;
        }
    }
    if (ask && !services_.dialogs.Confirm(question))
        return false;
    const TScoreRec seen = state.MyRec;
    state.MyRec = state.GameRec;
    ShowMyRec();
    const auto kept = SaveMyRecUnless(services_.recordsDir, services_.dialogs, state.MyRec,
                                      state.WorldRec, [&](const TScoreRec& stored) {
                                          return KeepStoredMyRec(stored, state.GameRec,
                                                                 seenByPlayer ? &seen : nullptr);
                                      });
    Records().Button8->setEnabled(false);
    state.UnsavedRecord = false;
    if (!kept)
        return true;
    // Another copy of the game saved a better record meanwhile (or, automatically, this game
    // beat the world but not the player): the better one stays.
    state.MyRec = *kept;
    ShowMyRec();
    services_.dialogs.ShowMessage("The record file holds a better record (total " +
                                  FormatWhole(kept->Total) + ") than this game (total " +
                                  FormatWhole(state.GameRec.Total) +
                                  "). It has been kept, and this game was not saved.");
    return false;
}

void TForm1::ReadRecordsAgain() {
    // Into copies: a read that fails must not take the records in memory with it (they may
    // have been fetched from the server since start-up).
    TScoreRec mine{};
    TScoreRec world{};
    bool read = false;
    LoadRecords(services_.recordsDir, services_.dialogs, services_.clock.Today(), mine, world,
                read);
    state.MyRec = mine;
    state.WorldRec = world;
    state.RecordsRead = read;
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
    ShowRecord(page.MyRecord, page.Label2, state.MyRec);
}

void TForm1::ShowWorldRec() {
    const RecordsPage& page = Records();
    ShowRecord(page.WRecord, page.Label3, state.WorldRec);
}

} // namespace lexfall
