// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QComboBox>

#include <functional>

namespace lexfall {

// The music box: an editable, sorted list that tells when its list drops down, and whose list
// also drops down as soon as the player types, while the typing stays in the edit field.
class MusicComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit MusicComboBox(QWidget* parent);

    std::function<void()> onDropDown;   // before the list is shown
    std::function<void()> onTextChange; // the player changed the text (typing or choosing)

    void showPopup() override;
    // Sets the text as the program does: no change handler runs.
    void SetText(const QString& text);

private:
    void PlayerMayHaveChangedText();
    void ShowListWhileTyping();
    // The text as the program last set it or the change handler last saw it.
    QString handledText_;
};

} // namespace lexfall
