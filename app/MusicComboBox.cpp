#include "app/MusicComboBox.h"

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
        if (onTextChange)
            onTextChange();
        ShowListWhileTyping();
    });
    connect(this, &QComboBox::textActivated, this, [this](const QString& text) {
        if (settingText_)
            return;
        SetText(text);
        if (onTextChange)
            onTextChange();
    });
}

void MusicComboBox::showPopup() {
    if (onDropDown)
        onDropDown();
    QComboBox::showPopup();
}

void MusicComboBox::SetText(const QString& text) {
    settingText_ = true;
    setEditText(text);
    settingText_ = false;
}

void MusicComboBox::ShowListWhileTyping() {
    if (onDropDown)
        onDropDown();
    // The completer's popup shows the whole list under the field and leaves the focus in it.
    completer()->setCompletionPrefix(QString());
    completer()->complete();
}

} // namespace lexfall
