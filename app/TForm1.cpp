// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TForm1.h"

#include "app/Canvas.h"
#include "app/CookieModuleLoader.h"
#include "app/ErrorGuard.h"
#include "app/FormStyle.h"
#include "app/GameTimer.h"
#include "app/HistoryPage.h"
#include "app/KeyPreview.h"
#include "app/LinkLabel.h"
#include "app/MusicComboBox.h"
#include "app/TilePainter.h"
#include "board/LetterTables.h"
#include "media/Music.h"
#include "online/HttpAccess.h"
#include "online/ServerAddress.h"
#include "records/GameClock.h"
#include "records/HistoryFile.h"
#include "records/RecordFile.h"
#include "records/ScoreRec.h"
#include "settings/SettingsFile.h"
#include "text/DayCount.h"
#include "words/Dictionary.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPushButton>

#include <utility>

namespace lexfall {

namespace {
constexpr int kClockInterval = 1000;
} // namespace

TForm1::TForm1(FormServices services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)),
      dialogs_(services_.dialogs, [this](bool hold) { HoldGame(HoldSource::Box, hold); }),
      dictionary_(std::make_unique<Dictionary>(services_.appDir, dialogs_)),
      cookies_(std::make_unique<LazyCookieStore>()),
      settingsWriter_(services_.settingsDir + SettingsFileName) {
    IdHTTP1 = std::make_unique<HttpAccess>(services_.network, *cookies_, services_.httpLimits);
    Timer1 = std::make_unique<GameTimer>(kDefaultDropInterval,
                                         [this] { GuardTick([this] { Timer1Timer(); }); });
    Timer2 = std::make_unique<GameTimer>(kClockInterval,
                                         [this] { GuardTick([this] { Timer2Timer(); }); });
    BuildLayout();
    keyPreview_ = std::make_unique<KeyPreview>(
        this, [this](int key, ShiftState shift) { Guard([&] { FormKeyDown(key, shift); }); });
    OnClick(Button1, &TForm1::Button1Click);
    OnClick(Button2, &TForm1::Button2Click);
    Image4->onClick = [this] { Image4Click(); };
    FormCreate();
}

RecordsPage& TForm1::Records() {
    if (!records_) {
        records_ = std::make_unique<RecordsPage>();
        BuildRecordsPage(*records_);
        ConnectRecordsPage(*records_);
        for (const auto& show : std::exchange(recordsShows_, {}))
            show(*records_);
    }
    return *records_;
}

OptionsPage& TForm1::Options() {
    if (!options_) {
        options_ = std::make_unique<OptionsPage>();
        BuildOptionsPage(*options_);
        OnClick(options_->Button7, &TForm1::Button7Click);
        ConnectOptionsPage(*options_);
        ConnectProxyControls(*options_);
        options_->LabelURL->onClick = [this] { LabelURLClick(); };
        options_->LabelEmail->onClick = [this] { LabelEmailClick(); };
        for (const auto& show : std::exchange(optionsShows_, {}))
            show(*options_);
    }
    return *options_;
}

void TForm1::OnRecordsPage(std::function<void(RecordsPage&)> show) {
    if (records_)
        show(*records_);
    else
        recordsShows_.push_back(std::move(show));
}

void TForm1::OnOptionsPage(std::function<void(OptionsPage&)> show) {
    if (options_)
        show(*options_);
    else
        optionsShows_.push_back(std::move(show));
}

void TForm1::ConnectRecordsPage(const RecordsPage& page) {
    OnClick(page.Button3, &TForm1::Button3Click);
    OnClick(page.Button4, &TForm1::Button4Click);
    OnClick(page.Button5, &TForm1::Button5Click);
    OnClick(page.Button6, &TForm1::Button6Click);
    OnClick(page.Button8, &TForm1::Button8Click);
    OnClick(page.Button9, &TForm1::Button9Click);
    OnClick(page.Button10, &TForm1::Button10Click);
}

TForm1::~TForm1() {
    // The key preview filters the whole application's keys; it goes before the controls do.
    keyPreview_.reset();
}

void TForm1::OnClick(QPushButton* button, void (TForm1::*handler)(QObject*)) {
    connect(button, &QPushButton::clicked, this,
            [this, button, handler] { Guard([&] { (this->*handler)(button); }); });
}

void TForm1::Guard(const std::function<void()>& handler) {
    Guarded(dialogs_, handler);
}

void TForm1::GuardOptionChange(const std::function<void()>& handler) {
    Guard([&] {
        const SettingsWriter::Batch oneWrite(settingsWriter_);
        handler();
    });
}

void TForm1::GuardTick(const std::function<void()>& tick) {
    // The box holds the game while it is open: a tick under it would act on a game that is
    // halfway through a step.
    try {
        tick();
    } catch (const std::exception& error) {
        dialogs_.ShowMessage(error.what());
    }
}

void TForm1::FormCreate() {
    // Each step is guarded on its own: a failing step is reported and the later steps still
    // run, so the program always comes up playable.
    Guard([this] {
        setContentsMargins(kBorderWidth, kBorderWidth, kBorderWidth, kBorderWidth);
        // The layout is fixed in logical pixels: the window neither grows nor offers to.
        layout()->setSizeConstraint(QLayout::SetFixedSize);
        setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                       Qt::WindowCloseButtonHint);
        adjustSize();
    });
    Guard([this] { ClearArea(); });
    Guard([this] { Image2->Image().fill(Qt::black); });
    Guard([this] { services_.random.Seed(services_.clock.SeedValue()); });
    Guard([this] { game_.Preview(DrawNextBlock()); });
    Guard([this] {
        // Both records are valid before anything can fail, so they are taken either way.
        TScoreRec mine{};
        TScoreRec world{};
        bool read = false;
        try {
            LoadRecords(services_.recordsDir, dialogs_, services_.clock.Today(), mine, world, read);
        } catch (...) {
            game_.RecordsLoaded(mine, world, read);
            throw;
        }
        game_.RecordsLoaded(mine, world, read);
    });
    Guard([this] {
        OnRecordsPage([today = QString::fromStdString(FormatIsoDate(services_.clock.Today()))](
                          RecordsPage& page) {
            page.Label1->setText(today);
            page.Label1->adjustSize();
        });
    });
    Guard([this] { LoadSettingsStep(); });
    // The proxy steps: the browser's proxy when the stored one has no host, then applied. Each
    // is a step of its own, so a browser proxy that cannot be read still leaves one applied.
    Guard([this] {
        if (settings.EnableProxy && settings.Proxy.empty())
            GetProxyFromIE();
    });
    Guard([this] {
        if (settings.EnableProxy)
            SetProxy();
    });
    Guard([this] {
        OnRecordsPage([this, mine = game_.MyRec(), world = game_.WorldRec()](RecordsPage& page) {
            ShowRecord(page.MyRecord, page.Label2, mine);
            ShowRecord(page.WRecord, page.Label3, world);
        });
    });
    Guard([this] {
        OnRecordsPage([](RecordsPage& page) {
            for (QPushButton* button : {page.Button5, page.Button8, page.Button9})
                button->setEnabled(true);
        });
    });
    GuardOptionChange([this] { StartMusic(); });
    GuardOptionChange([this] { FillOptionsPage(); });
}

void TForm1::ShowPage(QFrame* target, QFrame* leaving) {
    target->setEnabled(true);
    target->show();
    target->raise();
    leaving->setEnabled(false);
    leaving->hide();
}

void TForm1::Button3Click(QObject*) {
    ShowPage(PanelGame, Records().PanelRecord);
}
void TForm1::Button6Click(QObject*) {
    ShowPage(Options().PanelOptions, Records().PanelRecord);
}
void TForm1::Button7Click(QObject*) {
    ShowPage(PanelGame, Options().PanelOptions);
}

void TForm1::Image4Click() {
    services_.openLink(QString::fromLatin1(WebSite));
}
void TForm1::LabelURLClick() {
    services_.openLink(QString::fromLatin1(WebSite));
}
void TForm1::LabelEmailClick() {
    services_.openLink(QStringLiteral("mailto:") + QString::fromLatin1(SupportMail));
}

void TForm1::changeEvent(QEvent* event) {
    // Minimised means away: the game holds until the player resumes it with a pause key.
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        HoldGame(HoldSource::Minimised, true);
    QMainWindow::changeEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Stays for Cancel, and for a save that failed: its record is still unsaved.
    bool leave = false;
    Guard([&] { leave = OfferUnsavedRecord(true); });
    if (!leave)
        return event->ignore();
    QMainWindow::closeEvent(event);
}

void TForm1::PlayWave(const char* name) {
    PlayGameWave(services_.sound, settings.Sound, name);
}

} // namespace lexfall
