// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's controls: where each sits, what it says, what runs it, and where that code is.
// Controls are made in TForm1Layout.cpp and wired in TForm1.cpp (buttons, timers, keys),
// TForm1Options.cpp and TForm1Proxy.cpp; the figure labels are indexed by FigureRow. The game
// page's controls are the window's members; the records and options pages' are members of
// Records() and Options() (FormPages.h), which make their page when first asked.
//
//   Control        Page     Caption / shows           Handler             File
//   Image4         banner   the banner picture        Image4Click         TForm1.cpp
//   Button1        game     "&Start"                  Button1Click        TForm1Play.cpp
//   Button2        game     "&Records"                Button2Click        TForm1Records.cpp
//   Image1         game     the board                 FixBlock            TForm1Play.cpp
//   Image3         game     the falling letter        PlaceSprite         TForm1Play.cpp
//   Image2         game     the next letter           DrawNextBlock       TForm1Play.cpp
//   Memo1          game     the word log              ClearWord           TForm1Play.cpp
//   LabelPaused    game     "Paused", over the board  ApplyHolds          TForm1Play.cpp
//   Timer1         game     drops the letter          Timer1Timer         TForm1Play.cpp
//   Timer2         game     the game clock            Timer2Timer         TForm1Records.cpp
//   (keys)         any      arrows, Space, Delete...  FormKeyDown         TForm1Play.cpp
//   MyScore[row]   records  this game's figures       EvaluateGame        TForm1Records.cpp
//   MyRecord[row]  records  own record's figures      ShowMyRec           TForm1Records.cpp
//   WRecord[row]   records  world record's figures    ShowWorldRec        TForm1Records.cpp
//   Label1         records  today's date              FormCreate          TForm1.cpp
//   Label2, Label3 records  the two records' dates    ShowRecord          TForm1Records.cpp
//   LabelBroken    records  the verdict's text        SetBrokenText       TForm1Records.cpp
//   Button9        records  "&Get MyRec"              Button9Click        TForm1Online.cpp
//   Button5        records  "&Put MyRec"              Button5Click        TForm1Online.cpp
//   Button4        records  "Check &WR"               Button4Click        TForm1Online.cpp
//   Button8        records  "&Save Rec"               Button8Click        TForm1Records.cpp
//   Button6        records  "&Options"                Button6Click        TForm1.cpp
//   Button3        records  "&Continue"               Button3Click        TForm1.cpp
//   Button10       records  "&History"                Button10Click       TForm1History.cpp
//   Best[row][col] history  the ten best games        HistoryPage::Show   HistoryPage.cpp
//   Chart          history  every game's total        HistoryChart        HistoryChart.cpp
//   Button11       history  "&Records"                Button11Click       TForm1History.cpp
//   Button12       history  "&Continue"               Button12Click       TForm1History.cpp
//   ComboBox1      options  music piece               ComboBox1Change     TForm1Options.cpp
//                           (its list opening)        ComboBox1Click      TForm1Options.cpp
//   CheckBoxMusic  options  Music "Enable"            CheckBoxMusicClick  TForm1Options.cpp
//   CheckBoxSound  options  Sound "Enable"            CheckBoxSoundClick  TForm1Options.cpp
//   CheckBox2      options  AutoSave "Enable"         CheckBox2Click      TForm1Options.cpp
//   MaskEdit1      options  Speed, taken on leaving   ChangeSpeed         TForm1Options.cpp
//   UpDownUp/Down  options  Speed arrows              UpDown1Click        TForm1Options.cpp
//   EditIP         options  Http Proxy host           CheckBox1Click      TForm1Proxy.cpp
//   EditPort       options  Http Proxy port           CheckBox1Click      TForm1Proxy.cpp
//   EditProxyUser  options  ProxyUser                 CheckBox1Click      TForm1Proxy.cpp
//   EditProxyPwd   options  ProxyPwd                  CheckBox1Click      TForm1Proxy.cpp
//   CheckBox3      options  "Use IE Proxy Setting"    CheckBox3Click      TForm1Proxy.cpp
//   CheckBox1      options  "Enable Proxy"            CheckBox1Click      TForm1Proxy.cpp
//   Button7        options  "&Game"                   Button7Click        TForm1.cpp
//   LabelURL       options  web site (about box)      LabelURLClick       TForm1.cpp
//   LabelEmail     options  support mail (about box)  LabelEmailClick     TForm1.cpp
#include "app/FigureRow.h"
#include "app/FormPages.h"
#include "app/FormServices.h"
#include "app/HoldingDialogs.h"
#include "board/GameKeys.h"
#include "game/Game.h"
#include "online/ShortDate.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsWriter.h"

#include <QMainWindow>
#include <QPoint>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QFrame;
class QLineEdit;

namespace lexfall {

class Canvas;
class CookieStore;
class HttpAccess;
class GameTimer;
class Dictionary;
class GameHistory;
class HistoryPage;
class KeyPreview;

// The main window. Its handlers translate an event, call the game or the rules and paint what
// they report; the game itself, with all its state, is the Qt-free Game it owns.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(FormServices services, QWidget* parent = nullptr);
    ~TForm1() override;

    // Handlers. A null sender means the program's own call (see each).
    void FormCreate();
    void Button1Click(QObject* sender); // Start; no sender: the next letter enters
    void Button2Click(QObject* sender); // Records; no sender: the end-of-game evaluation
    void Button3Click(QObject* sender); // records page -> game page
    void Button6Click(QObject* sender); // records page -> options page
    void Button7Click(QObject* sender); // options page -> game page
    void Button8Click(QObject* sender); // Save Rec; no sender: the automatic save
    void Timer1Timer();
    void Timer2Timer();
    void FormKeyDown(int virtualKey, ShiftState shiftState);
    void Image4Click();
    void LabelURLClick();
    void LabelEmailClick();

    // The history page's way in and out.
    void Button10Click(QObject* sender); // records page -> history page
    void Button11Click(QObject* sender); // history page -> records page
    void Button12Click(QObject* sender); // history page -> game page

    // Steps of the game the handlers share.
    void ClearArea();
    void DrawBlock();
    void FixBlock();
    void ClearWord(int startCol, int endCol, const std::string& word, int row);
    std::uint8_t DrawNextBlock();
    std::uint8_t GetChar();
    void ShowMyRec();
    void ShowWorldRec();
    // Marks one broken figure: its sound and the colour of its two labels.
    void NewRecord(QLabel* ownLabel, QLabel* gameLabel, QColor colour);

    // Options page. FillOptionsPage is the start-up's step that fills it from the settings.
    void FillOptionsPage();
    void WriteIni();
    void CheckBoxSoundClick(QObject* sender);
    void CheckBox2Click(QObject* sender);
    void ChangeSpeed(QObject* sender);
    void UpDown1Click(QObject* sender, bool up);
    void CheckBoxMusicClick(QObject* sender);
    void ComboBox1Change(QObject* sender);
    void ComboBox1Click(QObject* sender);

    // Proxy settings.
    void SetProxy();
    void ShowProxy();
    void GetProxyFromIE();
    void CheckBox1Click(QObject* sender); // also runs on every edit of a proxy field
    void CheckBox3Click(QObject* sender);

    // The records server.
    void Button4Click(QObject* sender); // Check WR
    void Button9Click(QObject* sender); // Get MyRec
    void Button5Click(QObject* sender); // Put MyRec

    // LabelBroken's text as the game keeps it, texts joined by two carriage returns.
    const std::string& BrokenText() const { return brokenText_; }

    bool GameRunning() const { return game_.Running(); }
    // The game, for reading; it changes only through the window's handlers.
    const Game& game() const { return game_; }
    // The game to set a position up in before playing from it (a test, a replay).
    Game& SetUpGame() { return game_; }
    Settings settings;
    // The window icon goes to the display with the first frame in the sizes a title bar and a
    // task bar show; this adds the larger ones (switchers, docks) once the window is painted.
    void CompleteWindowIcon();

    // One hold of the game from source, or its release; then the timers and the cover follow.
    void HoldGame(HoldSource source, bool hold);
    // The timers run exactly when the game says, and "Paused" covers the board while it is.
    void ApplyHolds();
    // Shows LabelBroken's text (texts joined by two carriage returns), wrapped inside the page.
    void SetBrokenText(const std::string& text);

    // Controls, named as the layout names them.
    Canvas* Image4 = nullptr; // banner
    QFrame* PanelGame = nullptr;
    QFrame* Panel1 = nullptr;
    Canvas* Image1 = nullptr; // board
    Canvas* Image2 = nullptr; // preview
    Canvas* Image3 = nullptr; // sprite
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QLabel* LabelPaused = nullptr; // "Paused", over the board, made when first needed
    // The records, options and history pages, made the first time anything needs them.
    RecordsPage& Records();
    OptionsPage& Options();
    HistoryPage& History();
    std::unique_ptr<GameTimer> Timer1;   // drop timer
    std::unique_ptr<GameTimer> Timer2;   // game clock
    std::unique_ptr<HttpAccess> IdHTTP1; // the HTTP client, with its proxy parameters

    static constexpr int kBorderWidth = 8;
    // The client area, the banner over one page, and the window around it, in logical pixels.
    static constexpr QSize kClientSize{505, 518};
    static constexpr QSize kWindowSize{kClientSize.width() + 2 * kBorderWidth,
                                       kClientSize.height() + 2 * kBorderWidth};
    static constexpr int kFirstFrameIconSize = 48;
    // The board's top-left corner inside its sunken panel; the falling letter is placed from it.
    static constexpr QPoint kBoardOrigin{8, 8};

private:
    void BuildLayout();
    void SetWindowIcon(int largestSize);
    void BuildGamePage();
    void BuildRecordsPage(RecordsPage& page);
    void BuildOptionsPage(OptionsPage& page);
    void BuildAboutBox(OptionsPage& page);
    void ConnectRecordsPage(const RecordsPage& page);
    // Runs show on the page now, or as soon as the page is made: the start-up fills pages that
    // may never be looked at.
    void OnRecordsPage(std::function<void(RecordsPage&)> show);
    void OnOptionsPage(std::function<void(OptionsPage&)> show);
    void ShowPage(QFrame* target, QFrame* leaving);
    void PlaceSprite();
    void StartNewGame();
    void SwapLetter();
    void ClearBoardKey();
    void PlayWave(const char* name);
    void EvaluateGame();
    // Adds the ended game to the history file, after the records are settled; never throws.
    void KeepInHistory();
    GameHistory& PlayedGames();
    bool AutoSave();
    // Save Rec's work; false when nothing was saved. ask: the question first; seen: the player
    // has seen the record in memory, so it may replace that very record.
    bool SaveRec(bool ask, bool seen);
    // Before a new game or closing: a new record not yet saved is offered for saving. False
    // when the player stays (Cancel, or a save that failed).
    bool OfferUnsavedRecord(bool canStay);
    // Loads both records again and shows them; throws when the file still cannot be read.
    void ReadRecordsAgain();
    void ShowRecordsPage();
    void AppendBroken(const std::string& text);
    void ShowRatios(const std::array<QLabel*, FigureRow::kCount>& labels, const TScoreRec& rec);
    void ShowRecord(const std::array<QLabel*, FigureRow::kCount>& labels, QLabel* dateLabel,
                    const TScoreRec& rec);
    // A keeper's name in its column, on two lines when it is wider than the column.
    void ShowKeeper(QLabel* label, const std::string& name);
    void LoadSettingsStep();
    void StartMusic();
    // The music box's handler when it is unticked, less the box itself.
    void TurnMusicOff();
    void ShowOptions(OptionsPage& page, const Settings& shown);
    void ShowProxyFields(OptionsPage& page, const Settings& shown);
    void ConnectOptionsPage(const OptionsPage& page);
    void ConnectProxyControls(const OptionsPage& page);
    void SetProxyFieldsEnabled(bool enabled);
    void RejectProxyField(const char* text, QLineEdit* field);
    std::string SettingsPath() const;
    ShortDateFormat ShortDates() const;
    std::string RequestWhileBusy(QPushButton* button, const std::string& url);
    // Get MyRec's store of the fetched record, which the player agreed to in place of seen.
    void StoreFetchedMyRec(TScoreRec seen);
    std::optional<RegisterInfo> ConfirmedIdentity(const std::string& question);
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Connects a button's click to its handler, with the button as sender.
    void OnClick(QPushButton* button, void (TForm1::*handler)(QObject*));
    // Runs handler under the default error handler.
    void Guard(const std::function<void()>& handler);
    // Runs a handler of the options page under the default error handler, its settings
    // writes (and those of the handlers it sets off) made one write of the file.
    void GuardOptionChange(const std::function<void()>& handler);
    // Runs a timer's tick under the default error handler, both game timers held off while
    // its box is open.
    void GuardTick(const std::function<void()>& tick);

    FormServices services_;
    Game game_;
    // Every box the window shows holds the game while it is open.
    HoldingDialogs dialogs_;
    std::unique_ptr<KeyPreview> keyPreview_;
    std::unique_ptr<Dictionary> dictionary_;
    std::unique_ptr<CookieStore> cookies_; // the run's cookies, never written to disk
    std::unique_ptr<RecordsPage> records_;
    std::unique_ptr<OptionsPage> options_;
    std::unique_ptr<HistoryPage> history_;
    std::unique_ptr<GameHistory> playedGames_; // read at the first look at the history page
    std::vector<std::function<void(RecordsPage&)>> recordsShows_;
    std::vector<std::function<void(OptionsPage&)>> optionsShows_;
    std::string brokenText_;
    SettingsWriter settingsWriter_;
    int speedArrowPosition_ = 750; // the up-down control's own position
};

// One hold of the window's game for a scope.
class GameHeld {
public:
    GameHeld(TForm1& form, HoldSource source) : form_(form), source_(source) {
        form_.HoldGame(source_, true);
    }
    ~GameHeld() { form_.HoldGame(source_, false); }
    GameHeld(const GameHeld&) = delete;
    GameHeld& operator=(const GameHeld&) = delete;

private:
    TForm1& form_;
    HoldSource source_;
};

} // namespace lexfall
