// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MusicComboBox.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>

namespace lexfall {

MusicComboBox::MusicComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setFrame(false);
    auto* completer = new QCompleter(model(), this);
    completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    setCompleter(completer);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] {
        PlayerMayHaveChangedText();
        ShowListWhileTyping();
    });
    // A chosen entry, and each entry reached by moving through the list shown while typing,
    // goes into the field. The field may hear of it only after this receiver (or not at all
    // when the entry is current already), so it is put there first.
    const auto takeEntry = [this](const QString& entry) {
        setEditText(entry);
        PlayerMayHaveChangedText();
    };
    connect(this, &QComboBox::textActivated, this, takeEntry);
    connect(completer, qOverload<const QString&>(&QCompleter::highlighted), this, takeEntry);
}

void MusicComboBox::showPopup() {
    if (onDropDown)
        onDropDown();
    QComboBox::showPopup();
}

void MusicComboBox::SetText(const QString& text) {
    handledText_ = text;
    setEditText(text);
}

void MusicComboBox::PlayerMayHaveChangedText() {
    // Choosing the entry already shown, or confirming one taken while moving through the
    // list, leaves the text as it was: nothing to switch.
    if (currentText() == handledText_)
        return;
    handledText_ = currentText();
    if (onTextChange)
        onTextChange();
}

void MusicComboBox::ShowListWhileTyping() {
    // Only the keystroke that drops the list down is a drop-down; the keys typed while it is
    // shown are not.
    if (completer()->popup()->isVisible())
        return;
    // The drop-down sets the text anew, which would put the cursor at its end while the player
    // types in the middle of the name.
    const int cursor = lineEdit()->cursorPosition();
    if (onDropDown)
        onDropDown();
    lineEdit()->setCursorPosition(cursor);
    // The completer's popup shows the whole list under the field and leaves the focus in it.
    completer()->setCompletionPrefix(QString());
    completer()->complete();
}

} // namespace lexfall
