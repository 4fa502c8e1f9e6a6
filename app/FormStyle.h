// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QColor>
#include <QFont>

#include <string>

class QWidget;
class QLabel;

namespace lexfall::style {

// Colours of the window, as red, green, blue.
inline const QColor kBlack{0, 0, 0};
inline const QColor kRed{255, 0, 0};
inline const QColor kGreen{0, 128, 0};
inline const QColor kMaroon{128, 0, 0};
inline const QColor kInactiveCaption{128, 128, 128};
inline const QColor kDesktop{0, 128, 128};
// Disabled text: 5.5:1 on the button face, so the disabled word log stays readable.
inline const QColor kGrayText{96, 96, 96};

// The window's face: a plain sans-serif 11 pixels high (8 points).
QFont WindowFont();
QFont BoldFont(int pixelSize = 11);

QColor TextColour(const QLabel* label);
// Sets a label's caption and sizes the label to it.
void SetCaption(QLabel* label, const std::string& text);
void SetTextColour(QLabel* label, const QColor& colour);

// The control's own enabled flag, whatever the state of the page that holds it.
bool OwnEnabled(const QWidget* widget);

// Places widget at (left, top) with the given size inside its parent.
void Place(QWidget* widget, int left, int top, int width, int height);

} // namespace lexfall::style
