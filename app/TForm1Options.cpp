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

void TForm1::ConnectOptionsPage() {
    // A tick changed by the program runs the handler as a click would; setting the tick it
    // already has runs nothing. `toggled` has exactly that behaviour.
    connect(CheckBoxSound, &QCheckBox::toggled, this,
            [this] { GuardOptionChange([this] { CheckBoxSoundClick(CheckBoxSound); }); });
    connect(CheckBox2, &QCheckBox::toggled, this,
            [this] { GuardOptionChange([this] { CheckBox2Click(CheckBox2); }); });
    connect(CheckBoxMusic, &QCheckBox::toggled, this,
            [this] { GuardOptionChange([this] { CheckBoxMusicClick(CheckBoxMusic); }); });
    connect(UpDownUp, &QToolButton::clicked, this,
            [this] { GuardOptionChange([this] { UpDown1Click(UpDownUp, true); }); });
    connect(UpDownDown, &QToolButton::clicked, this,
            [this] { GuardOptionChange([this] { UpDown1Click(UpDownDown, false); }); });
    ComboBox1->onTextChange = [this] { GuardOptionChange([this] { ComboBox1Change(ComboBox1); }); };
    ComboBox1->onDropDown = [this] { Guard([this] { ComboBox1Click(ComboBox1); }); };
    // Four digit places, empty ones shown as blanks; typing overwrites, as a masked field does.
    MaskEdit1->setInputMask(QStringLiteral("0000; "));
    MaskEdit1->installEventFilter(this);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    // Only a move to another control leaves the field. The window losing activation (another
    // program, a message box) or a context menu opening keeps the player in it; taking the
    // speed then would raise the conversion error over whatever took the focus.
    if (watched == MaskEdit1 && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            GuardOptionChange([this] { ChangeSpeed(MaskEdit1); });
    }
    return QMainWindow::eventFilter(watched, event);
}

std::string TForm1::SettingsPath() const {
    return services_.settingsDir + SettingsFileName;
}

void TForm1::WriteIni() {
    settingsWriter_.Write(state.settings);
}

void TForm1::LoadSettingsStep() {
    state.settings = LoadSettings(SettingsPath());
    SetRecordName(state.GameRec, state.settings.UserName);
    ShowKeeper(MyScore[FigureRow::Keeper], RecordName(state.GameRec));
}

void TForm1::StartMusic() {
    const Settings& settings = state.settings;
    if (!settings.Music.empty()) {
        ComboBox1->SetText(FromSystemText(settings.Music));
        CheckBoxMusic->setChecked(true);
        PlayMusic(services_.sound, services_.appDir, settings.Music, true);
    } else {
        ComboBox1->setEnabled(false);
        CheckBoxMusic->setChecked(false);
    }
}

void TForm1::FillOptionsPage() {
    const Settings& settings = state.settings;
    CheckBoxSound->setChecked(settings.Sound);
    CheckBox2->setChecked(settings.AutoSave);
    speedArrowPosition_ = SpeedArrowPosition(settings.Speed);
    MaskEdit1->setText(QString::fromStdString(SpeedFieldText(settings.Speed)));
    // The proxy as read: shown, its box and fields set, and its handler not run.
    ShowProxy();
    {
        const QSignalBlocker blocker(CheckBox1);
        CheckBox1->setChecked(settings.EnableProxy);
    }
    SetProxyFieldsEnabled(!settings.EnableProxy);
}

void TForm1::CheckBoxSoundClick(QObject*) {
    state.settings.Sound = CheckBoxSound->isChecked();
    WriteIni();
}

void TForm1::CheckBox2Click(QObject*) {
    state.settings.AutoSave = CheckBox2->isChecked();
    WriteIni();
}

void TForm1::ChangeSpeed(QObject*) {
    state.settings.Speed = SpeedFromFieldText(MaskEdit1->displayText().toStdString());
    WriteIni();
}

void TForm1::UpDown1Click(QObject*, bool up) {
    speedArrowPosition_ =
        StepSpeedField(MaskEdit1->displayText().toStdString(), speedArrowPosition_, up);
    MaskEdit1->setText(QString::fromStdString(SpeedFieldText(speedArrowPosition_)));
    ChangeSpeed(nullptr);
}

void TForm1::CheckBoxMusicClick(QObject*) {
    Settings& settings = state.settings;
    if (CheckBoxMusic->isChecked()) {
        ComboBox1->setEnabled(true);
        if (ComboBox1->currentText().isEmpty())
            ComboBox1->SetText(ComboBox1->count() > 0 ? ComboBox1->itemText(0) : QString());
        settings.Music = KeepFirst(ToSystemText(ComboBox1->currentText()), MusicLimit);
        PlayMusic(services_.sound, services_.appDir, settings.Music, true);
    } else {
        PlayMusic(services_.sound, services_.appDir, settings.Music, false);
        ComboBox1->setEnabled(false);
        settings.Music.clear(); // the name stays shown in the box
    }
    WriteIni();
}

void TForm1::ComboBox1Change(QObject*) {
    Settings& settings = state.settings;
    PlayMusic(services_.sound, services_.appDir, settings.Music, false);
    settings.Music = KeepFirst(ToSystemText(ComboBox1->currentText()), MusicLimit);
    PlayMusic(services_.sound, services_.appDir, settings.Music, true);
    WriteIni();
}

void TForm1::ComboBox1Click(QObject*) {
    const QString music = FromSystemText(state.settings.Music);
    ComboBox1->clear();
    for (const std::string& name : ListMusicFiles(services_.appDir))
        ComboBox1->addItem(FromSystemText(name));
    // Filling an empty list makes its first entry current, and the box would show that entry;
    // the box shows Music, with its entry current when it has one.
    ComboBox1->setCurrentIndex(ComboBox1->findText(music));
    ComboBox1->SetText(music);
}

} // namespace lexfall
