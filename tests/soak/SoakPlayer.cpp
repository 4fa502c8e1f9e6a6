// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoakPlayer.h"

#include "app/Canvas.h"
#include "app/FormStyle.h"
#include "app/GameTimer.h"
#include "words/PlayField.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

namespace lexfall::soak {
namespace {

constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kGold = qRgb(255, 215, 0);
constexpr std::size_t kSlot = sizeof(TScoreRec);

bool IsLetter(std::uint8_t c) {
    return c >= 'A' && c <= 'Z';
}

std::string Bytes(const TScoreRec& rec) {
    return std::string(reinterpret_cast<const char*>(&rec), kSlot);
}

std::string Cell(int col, int row) {
    return "(" + std::to_string(col) + ", " + std::to_string(row) + ")";
}

} // namespace

SoakPlayer::SoakPlayer(TForm1& form, SoakDoubles& doubles, const std::string& appDir,
                       std::uint64_t seed)
    : form_(form), doubles_(doubles), recordFile_(std::filesystem::path(appDir) / "Records.dat"),
      dictionary_(appDir, playerDialogs_), rng_(seed) {
    dictionary_.OpenDict();
    // Save Rec's question is answered Yes nine times in ten.
    doubles_.dialogs.decide = [this] { return !Chance(0.1); };
    lastMyRec_ = form_.game().MyRec();
    Check("start-up");
}

void SoakPlayer::Fail(const char* what, const std::string& detail) const {
    throw SoakFailure("game " + std::to_string(stats_.games + 1) + ", event " +
                      std::to_string(stats_.events) + " (" + what + "): " + detail);
}

template <typename Action> void SoakPlayer::Event(const char* what, Action action) {
    const std::int32_t letters = form_.game().GameRec().UsedLetters;
    const bool running = form_.GameRunning();
    action();
    ++stats_.events;
    // A landing restarts both timers: the word search turns them off and on again.
    const bool landed =
        running && form_.GameRunning() && form_.game().GameRec().UsedLetters != letters;
    SyncTimers(landed);
    Check(what);
}

void SoakPlayer::SyncTimers(bool restarted) {
    const auto sync = [&](TimerModel& model, const GameTimer& timer) {
        if (!timer.Enabled() || timer.Interval() <= 0) {
            model.scheduled = false;
            return;
        }
        if (!model.scheduled || restarted || timer.Interval() != model.interval) {
            model.scheduled = true;
            model.due = now_ + timer.Interval();
        }
        model.interval = timer.Interval();
    };
    sync(drop_, *form_.Timer1);
    sync(clock_, *form_.Timer2);
}

bool SoakPlayer::DeliverNextTick() {
    const bool drop = drop_.scheduled && (!clock_.scheduled || drop_.due <= clock_.due);
    TimerModel* next = drop ? &drop_ : clock_.scheduled ? &clock_ : nullptr;
    if (next == nullptr)
        return false;
    now_ = next->due;
    next->scheduled = false; // a tick starts the next period
    if (drop)
        Event("drop tick", [&] { form_.Timer1Timer(); });
    else
        Event("clock tick", [&] { form_.Timer2Timer(); });
    return true;
}

void SoakPlayer::Key(int qtKey, Qt::KeyboardModifiers modifiers) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &form_;
    QKeyEvent press(QEvent::KeyPress, qtKey, modifiers);
    QKeyEvent release(QEvent::KeyRelease, qtKey, modifiers);
    Event("key", [&] {
        QApplication::sendEvent(target, &press);
        QApplication::sendEvent(target, &release);
    });
}

void SoakPlayer::ClickVisible(QAbstractButton* button, const char* what) {
    // A control of a hidden page is disabled, and a click on it does nothing, as for a player.
    Event(what, [&] { button->click(); });
}

void SoakPlayer::PlayGame() {
    Interlude();
    if (!form_.GameRunning())
        Fail("start", "Start did not start a game");
    const long letters = form_.game().GameRec().UsedLetters;
    patience_ = 5 + Below(Chance(0.1) ? 400 : 60);
    while (form_.GameRunning())
        PlayStep();
    const TScoreRec& game = form_.game().GameRec();
    lastFinished_ = game;
    ++stats_.games;
    stats_.letters += game.UsedLetters - letters;
    stats_.words += game.CompletedWords;
    stats_.longestGameLetters = std::max<long>(stats_.longestGameLetters, game.UsedLetters);
    stats_.longestGameSeconds = std::max<long>(stats_.longestGameSeconds, game.UsedTime);
    if (form_.Records().PanelRecord->isHidden())
        Fail("end of game", "the records page is not shown");
}

void SoakPlayer::Interlude() {
    // Between games: now and then Save Rec, the options, idle keys that must change nothing.
    if (Chance(0.3)) {
        ++stats_.savesAsked;
        ClickVisible(form_.Records().Button8, "Save Rec");
    }
    if (Chance(0.2)) {
        ClickVisible(form_.Records().Button6, "to options");
        for (int i = Below(4); i >= 0; --i)
            ChangeOption();
        ClickVisible(form_.Options().Button7, "options to game");
    }
    if (Chance(0.2)) {
        const TChars before = form_.game().Field().Chars();
        Key(Chance(0.5) ? Qt::Key_Left : Qt::Key_Down);
        if (form_.game().Field().Chars() != before)
            Fail("idle key", "a key changed the board while no game runs");
    }
    if (!form_.Records().PanelRecord->isHidden())
        ClickVisible(form_.Records().Button3, "continue");
    if (!form_.Options().PanelOptions->isHidden())
        ClickVisible(form_.Options().Button7, "options to game");
    // Start resets the figures: the no-decrease check begins again from 0.
    lastGame_ = TScoreRec{};
    ClickVisible(form_.Button1, "Start");
    started_ = true;
    lastLetters_ = -1;
}

void SoakPlayer::ChangeOption() {
    ++stats_.optionChanges;
    switch (Below(4)) {
    case 0:
        ClickVisible(form_.Options().CheckBoxSound, "sound box");
        break;
    case 1:
        ClickVisible(form_.Options().CheckBox2, "auto-save box");
        break;
    case 2:
        ClickVisible(form_.Options().UpDownUp, "speed up arrow");
        break;
    default:
        ClickVisible(form_.Options().UpDownDown, "speed down arrow");
        break;
    }
}

void SoakPlayer::ChangePage() {
    ++stats_.pageChanges;
    if (!form_.PanelGame->isHidden()) {
        ClickVisible(form_.Button2, "to records");
    } else if (!form_.Records().PanelRecord->isHidden()) {
        if (Chance(0.5)) {
            ClickVisible(form_.Records().Button6, "to options");
            if (Chance(0.5))
                ChangeOption();
        } else {
            ClickVisible(form_.Records().Button3, "continue");
        }
    } else {
        ClickVisible(form_.Options().Button7, "options to game");
    }
}

void SoakPlayer::PlayStep() {
    const TBlock& block = form_.game().Field().Block();
    if (form_.game().GameRec().UsedLetters != lastLetters_) {
        lastLetters_ = form_.game().GameRec().UsedLetters;
        PlanLetter();
    }
    // Now and then something a player does besides steering.
    if (Chance(0.0008)) {
        ++stats_.clears;
        return Key(Qt::Key_Delete, Qt::ShiftModifier);
    }
    if (Chance(0.001))
        return Key(Qt::Key_Delete,
                   Chance(0.5) ? Qt::NoModifier : Qt::ShiftModifier | Qt::ControlModifier);
    if (Chance(0.004))
        return ChangePage();
    if (Chance(0.001)) {
        ++stats_.savesAsked;
        return ClickVisible(form_.Records().Button8, "Save Rec");
    }
    if (!plan_.empty() && Chance(0.7)) {
        const int key = plan_.front();
        plan_.erase(plan_.begin());
        const bool keypad = key == Qt::Key_7 || key == Qt::Key_8 || key == Qt::Key_9;
        if (key == Qt::Key_Up)
            ++stats_.swaps;
        Key(key, keypad ? Qt::KeypadModifier : Qt::NoModifier);
        // A swapped letter is planned again.
        if (key == Qt::Key_Up)
            PlanLetter();
        return;
    }
    if (!DeliverNextTick())
        Fail("tick", "no timer is running during a game at row " + std::to_string(block.Row));
}

int SoakPlayer::LandingRow(int col) const {
    const TChars& chars = form_.game().Field().Chars();
    const TBlock& block = form_.game().Field().Block();
    int row = block.Col == col ? block.Row : 0;
    while (row < MaxRow && chars[col][row + 1] == 0)
        ++row;
    return row;
}

int SoakPlayer::ChooseColumn() {
    const TBlock& block = form_.game().Field().Block();
    if (patience_ <= 0)
        return block.Col; // given up: stack where it falls
    int best = -1;
    std::size_t bestLength = 0;
    for (int col = 0; col <= MaxCol; ++col) {
        // Only columns the letter can reach along its row, tried on a copy of the field.
        PlayField trial = form_.game().Field();
        bool reachable = true;
        while (reachable && trial.Block().Col != col)
            reachable = trial.Move(col < trial.Block().Col ? -1 : +1);
        trial.DropToRest();
        if (!reachable || trial.Block().Row == 0)
            continue;
        if (const auto word = trial.FindWord(dictionary_)) {
            if (word->Word.size() > bestLength) {
                best = col;
                bestLength = word->Word.size();
            }
        }
    }
    if (best >= 0)
        return best;
    // No word: the lowest stack the letter can reach, ties broken at random.
    int lowest = block.Col;
    for (int col = 0; col <= MaxCol; ++col) {
        const int row = LandingRow(col);
        if (row > LandingRow(lowest) || (row == LandingRow(lowest) && Chance(0.3)))
            lowest = col;
    }
    return lowest;
}

void SoakPlayer::PlanLetter() {
    --patience_;
    plan_.clear();
    const TBlock& block = form_.game().Field().Block();
    const int target = ChooseColumn();
    if (patience_ > 0 && Chance(0.05)) {
        plan_.push_back(Qt::Key_Up);
        return;
    }
    for (int col = block.Col; col != target; col += target > col ? 1 : -1) {
        const bool left = target < col;
        plan_.push_back(Chance(0.8) ? (left ? Qt::Key_Left : Qt::Key_Right)
                                    : (left ? Qt::Key_7 : Qt::Key_9));
    }
    if (Chance(0.8))
        plan_.push_back(Chance(0.5) ? Qt::Key_Down : Chance(0.5) ? Qt::Key_Space : Qt::Key_8);
    // Sometimes a slide after the hard drop, before the tick that fixes the letter.
    if (Chance(0.05))
        plan_.push_back(Chance(0.5) ? Qt::Key_Left : Qt::Key_Right);
}

void SoakPlayer::Check(const char* what) {
    // An automatic save after a game that broke only the world record keeps the player's better
    // own record and says so: an expected box, and the slot checks below still hold.
    std::erase_if(doubles_.dialogs.messages, [](const std::string& text) {
        return text.starts_with("The record file holds a better record");
    });
    // Save Rec before the first game has nothing to save, and says so.
    if (stats_.games == 0)
        std::erase(doubles_.dialogs.messages,
                   std::string("There is no finished game to save yet."));
    if (!doubles_.dialogs.messages.empty())
        Fail(what, "unexpected message: " + doubles_.dialogs.messages.front());
    const bool running = form_.GameRunning();
    if (running != (form_.Timer1->Enabled() && form_.Timer2->Enabled()) ||
        (!running && (form_.Timer1->Enabled() || form_.Timer2->Enabled())))
        Fail(what, "timers do not follow the game's state");
    CheckBoard(what);
    CheckFigures(what);
    CheckRecordFile(what);
}

void SoakPlayer::CheckBoard(const char* what) {
    const Game& state = form_.game();
    const TBlock& block = state.Field().Block();
    if (!IsLetter(state.NextChar()))
        Fail(what, "the next letter is not a letter");
    if (started_) {
        if (block.Col < 0 || block.Col > MaxCol || block.Row < 0 || block.Row > MaxRow ||
            !IsLetter(block.Letter))
            Fail(what, "falling letter outside the board: " + Cell(block.Col, block.Row));
        const QPoint sprite(TForm1::kBorderWidth + BlockSize * block.Col,
                            TForm1::kBorderWidth + BlockSize * block.Row);
        if (form_.Image3->pos() != sprite)
            Fail(what, "sprite not over the falling letter " + Cell(block.Col, block.Row));
    }
    const QImage& board = form_.Image1->Image();
    for (int col = 0; col <= MaxCol; ++col) {
        for (int row = 0; row <= MaxRow; ++row) {
            const std::uint8_t cell = state.Field().Chars()[col][row];
            const int x = col * BlockSize, y = row * BlockSize;
            const bool falling = started_ && col == block.Col && row == block.Row;
            if (cell != 0 && !IsLetter(cell))
                Fail(what, "a cell holds no letter at " + Cell(col, row));
            if (falling) {
                // The board under the sprite is empty; the grid holds the letter or nothing.
                if ((cell != 0 && cell != block.Letter) || board.pixel(x + 1, y + 1) != kBlack)
                    Fail(what, "the falling letter's cell disagrees at " + Cell(col, row));
            } else if (cell == 0) {
                if (board.pixel(x + 1, y + 1) != kBlack || board.pixel(x + 20, y + 20) != kBlack)
                    Fail(what, "an empty cell shows a tile at " + Cell(col, row));
            } else {
                if (row == 0)
                    Fail(what, "a letter was fixed in the top row at " + Cell(col, 0));
                if (board.pixel(x + 1, y + 1) != kGold || board.pixel(x + 38, y + 38) != kGold)
                    Fail(what, "a letter's cell shows no tile at " + Cell(col, row));
            }
        }
    }
}

void SoakPlayer::CheckFigures(const char* what) {
    const TScoreRec& game = form_.game().GameRec();
    if (started_ &&
        (game.UsedTime < lastGame_.UsedTime || game.UsedLetters < lastGame_.UsedLetters ||
         game.CompletedWords < lastGame_.CompletedWords))
        Fail(what, "a figure of the game went down");
    lastGame_ = game;
    // Copied out: the record's fields are packed, so no reference may bind to them.
    const std::pair<FigureRow::Row, std::int32_t> figures[] = {
        {FigureRow::Time, std::int32_t{game.UsedTime}},
        {FigureRow::Letters, std::int32_t{game.UsedLetters}},
        {FigureRow::Words, std::int32_t{game.CompletedWords}}};
    for (const auto& [row, figure] : figures)
        if (form_.Records().MyScore[row]->text() != QString::number(figure))
            Fail(what, "the records page shows another figure in row " + std::to_string(row));
}

void SoakPlayer::CheckRecordFile(const char* what) {
    std::ifstream in(recordFile_, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 2 * kSlot)
        Fail(what, "the record file has " + std::to_string(bytes.size()) + " bytes");
    TScoreRec stored[2];
    std::memcpy(stored, bytes.data(), 2 * kSlot);
    if (!IsValidRecord(stored[0]) || !IsValidRecord(stored[1]))
        Fail(what, "a slot of the record file is not valid");
    if (bytes.compare(0, kSlot, Bytes(form_.game().MyRec())) != 0 ||
        bytes.compare(kSlot, kSlot, Bytes(form_.game().WorldRec())) != 0)
        Fail(what, "the record file and memory disagree");
    if (Bytes(lastMyRec_) != Bytes(form_.game().MyRec())) {
        ++stats_.recordsSaved;
        // Start saves the last game when the player says so, after it reset GameRec.
        if (Bytes(form_.game().MyRec()) != Bytes(form_.game().GameRec()) &&
            Bytes(form_.game().MyRec()) != Bytes(lastFinished_))
            Fail(what, "my record changed to something other than the game");
        lastMyRec_ = form_.game().MyRec();
    }
}

} // namespace lexfall::soak
