// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FormStyle.h"

#include "platform/qt/QtSystemText.h"

#include <QLabel>

namespace lexfall::style {

QFont WindowFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

QFont BoldFont(int pixelSize) {
    QFont font = WindowFont();
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}

QColor TextColour(const QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

void SetCaption(QLabel* label, const std::string& text) {
    label->setText(FromSystemText(text));
    label->adjustSize();
}

void SetTextColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

bool OwnEnabled(const QWidget* widget) {
    return widget->isEnabledTo(widget->parentWidget());
}

void Place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(left, top, width, height);
}

} // namespace lexfall::style
