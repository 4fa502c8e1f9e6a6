// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The controls of the two pages a start does not show. TForm1 makes each page the first time
// anything needs it (TForm1::Records, TForm1::Options), so the start draws only the game page.
#include "app/FigureRow.h"

#include <array>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace lexfall {

class LinkLabel;
class MusicComboBox;

struct RecordsPage {
    QFrame* PanelRecord = nullptr;
    // Indexed by FigureRow.
    std::array<QLabel*, FigureRow::kCount> MyScore{};
    std::array<QLabel*, FigureRow::kCount> MyRecord{};
    std::array<QLabel*, FigureRow::kCount> WRecord{};
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* LabelBroken = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* Button8 = nullptr;
    QPushButton* Button9 = nullptr;
    QPushButton* Button10 = nullptr;
};

struct OptionsPage {
    QFrame* PanelOptions = nullptr;
    MusicComboBox* ComboBox1 = nullptr;
    QCheckBox* CheckBoxMusic = nullptr;
    QCheckBox* CheckBoxSound = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QLineEdit* MaskEdit1 = nullptr;
    QToolButton* UpDownUp = nullptr;
    QToolButton* UpDownDown = nullptr;
    QLineEdit* EditIP = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* EditPort = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QLineEdit* EditProxyUser = nullptr;
    QLineEdit* EditProxyPwd = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* Button7 = nullptr;
    QFrame* PanelAbout = nullptr;
    LinkLabel* LabelURL = nullptr;
    LinkLabel* LabelEmail = nullptr;
};

} // namespace lexfall
