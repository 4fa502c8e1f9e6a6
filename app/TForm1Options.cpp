// SPDX-License-Identifier: GPL-3.0-or-later
// The options page: sound, auto-save, the drop speed and the music choice.
#include "app/MusicComboBox.h"
#include "app/TForm1.h"
#include "media/Music.h"
#include "platform/qt/QtSystemText.h"
#include "settings/SettingsFile.h"
#include "settings/SpeedField.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace lexfall {

void TForm1::ConnectOptionsPage(const OptionsPage& page) {
    // A tick changed by the program runs the handler as a click would; setting the tick it
    // already has runs nothing. `toggled` has exactly that behaviour.
    connect(page.CheckBoxSound, &QCheckBox::toggled, this,
            [this] { GuardOptionChange([this] { CheckBoxSoundClick(Options().CheckBoxSound); }); });
    connect(page.CheckBox2, &QCheckBox::toggled, this,
            [this] { GuardOptionChange([this] { CheckBox2Click(Options().CheckBox2); }); });
    connect(page.CheckBoxMusic, &QCheckBox::toggled, this,
            [this] { GuardOptionChange([this] { CheckBoxMusicClick(Options().CheckBoxMusic); }); });
    connect(page.UpDownUp, &QToolButton::clicked, this,
            [this] { GuardOptionChange([this] { UpDown1Click(Options().UpDownUp, true); }); });
    connect(page.UpDownDown, &QToolButton::clicked, this,
            [this] { GuardOptionChange([this] { UpDown1Click(Options().UpDownDown, false); }); });
    page.ComboBox1->onTextChange = [this] {
        GuardOptionChange([this] { ComboBox1Change(Options().ComboBox1); });
    };
    page.ComboBox1->onDropDown = [this] { Guard([this] { ComboBox1Click(Options().ComboBox1); }); };
    // Four digit places, empty ones shown as blanks; typing overwrites, as a masked field does.
    page.MaskEdit1->setInputMask(QStringLiteral("0000; "));
    page.MaskEdit1->installEventFilter(this);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    // Only a move to another control leaves the field. The window losing activation (another
    // program, a message box) or a context menu opening keeps the player in it; taking the
    // speed then would raise the conversion error over whatever took the focus.
    if (options_ && watched == options_->MaskEdit1 && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            GuardOptionChange([this] { ChangeSpeed(options_->MaskEdit1); });
    }
    return QMainWindow::eventFilter(watched, event);
}

std::string TForm1::SettingsPath() const {
    return services_.settingsDir + SettingsFileName;
}

void TForm1::WriteIni() {
    settingsWriter_.Write(settings);
}

void TForm1::LoadSettingsStep() {
    settings = LoadSettings(SettingsPath());
    game_.SetPlayerName(settings.UserName);
    OnRecordsPage([this, keeper = RecordName(game_.GameRec())](RecordsPage& page) {
        ShowKeeper(page.MyScore[FigureRow::Keeper], keeper);
    });
}

// The start-up's two option steps fill a page that may never be looked at: the page shows the
// options as these steps saw them whenever it is made, and each box whose tick the options
// change runs its handler's work here, as the tick would.
void TForm1::StartMusic() {
    if (!settings.Music.empty()) {
        OnOptionsPage([music = FromSystemText(settings.Music)](OptionsPage& page) {
            page.ComboBox1->SetText(music);
            const QSignalBlocker quiet(page.CheckBoxMusic);
            page.CheckBoxMusic->setChecked(true);
        });
        PlayMusic(services_.sound, services_.appDir, settings.Music, true);
    } else {
        OnOptionsPage([](OptionsPage& page) {
            page.ComboBox1->setEnabled(false);
            const QSignalBlocker quiet(page.CheckBoxMusic);
            page.CheckBoxMusic->setChecked(false);
        });
        // The music box, ticked as laid out, is unticked.
        GuardOptionChange([this] { TurnMusicOff(); });
    }
}

void TForm1::FillOptionsPage() {
    speedArrowPosition_ = SpeedArrowPosition(settings.Speed);
    OnOptionsPage([this, shown = settings](OptionsPage& page) { ShowOptions(page, shown); });
    // The sound box is laid out ticked and the auto-save box clear; the handler of either
    // stores the options (the tick it takes is the option's value already).
    if (!settings.Sound || settings.AutoSave)
        WriteIni();
}

void TForm1::ShowOptions(OptionsPage& page, const Settings& shown) {
    {
        const QSignalBlocker quietSound(page.CheckBoxSound);
        const QSignalBlocker quietAutoSave(page.CheckBox2);
        page.CheckBoxSound->setChecked(shown.Sound);
        page.CheckBox2->setChecked(shown.AutoSave);
    }
    page.MaskEdit1->setText(QString::fromStdString(SpeedFieldText(shown.Speed)));
    // The proxy as read: shown, its box and fields set, and its handler not run.
    ShowProxyFields(page, shown);
    {
        const QSignalBlocker quiet(page.CheckBox1);
        page.CheckBox1->setChecked(shown.EnableProxy);
    }
    SetProxyFieldsEnabled(!shown.EnableProxy);
}

void TForm1::CheckBoxSoundClick(QObject*) {
    settings.Sound = Options().CheckBoxSound->isChecked();
    WriteIni();
}

void TForm1::CheckBox2Click(QObject*) {
    settings.AutoSave = Options().CheckBox2->isChecked();
    WriteIni();
}

void TForm1::ChangeSpeed(QObject*) {
    settings.Speed = SpeedFromFieldText(Options().MaskEdit1->displayText().toStdString());
    WriteIni();
}

void TForm1::UpDown1Click(QObject*, bool up) {
    QLineEdit* speedField = Options().MaskEdit1;
    speedArrowPosition_ =
        StepSpeedField(speedField->displayText().toStdString(), speedArrowPosition_, up);
    speedField->setText(QString::fromStdString(SpeedFieldText(speedArrowPosition_)));
    ChangeSpeed(nullptr);
}

void TForm1::CheckBoxMusicClick(QObject*) {
    MusicComboBox* musicBox = Options().ComboBox1;
    if (!Options().CheckBoxMusic->isChecked()) {
        musicBox->setEnabled(false);
        TurnMusicOff(); // the name stays shown in the box
        return;
    }
    musicBox->setEnabled(true);
    if (musicBox->currentText().isEmpty())
        musicBox->SetText(musicBox->count() > 0 ? musicBox->itemText(0) : QString());
    settings.Music = KeepFirst(ToSystemText(musicBox->currentText()), MusicLimit);
    PlayMusic(services_.sound, services_.appDir, settings.Music, true);
    WriteIni();
}

void TForm1::TurnMusicOff() {
    PlayMusic(services_.sound, services_.appDir, settings.Music, false);
    settings.Music.clear();
    WriteIni();
}

void TForm1::ComboBox1Change(QObject*) {
    PlayMusic(services_.sound, services_.appDir, settings.Music, false);
    settings.Music = KeepFirst(ToSystemText(Options().ComboBox1->currentText()), MusicLimit);
    PlayMusic(services_.sound, services_.appDir, settings.Music, true);
    WriteIni();
}

void TForm1::ComboBox1Click(QObject*) {
    MusicComboBox* musicBox = Options().ComboBox1;
    const QString music = FromSystemText(settings.Music);
    musicBox->clear();
    for (const std::string& name : ListMusicFiles(services_.appDir))
        musicBox->addItem(FromSystemText(name));
    // Filling an empty list makes its first entry current, and the box would show that entry;
    // the box shows Music, with its entry current when it has one.
    musicBox->setCurrentIndex(musicBox->findText(music));
    musicBox->SetText(music);
}

} // namespace lexfall
