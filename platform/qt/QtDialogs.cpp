#include "platform/qt/QtDialogs.h"

#include "platform/qt/QtSystemText.h"

#include <QApplication>
#include <QMessageBox>

namespace lexfall {

void QtDialogs::ShowMessage(const std::string& text) {
    QMessageBox::information(QApplication::activeWindow(), QStringLiteral("Lexfall"),
                             FromSystemText(text));
}

namespace {

// Qt counts closing the box by its title bar as its escape button, which is No here; that
// close must count as Yes, so it is told apart from the Esc key and the No button.
class ConfirmationBox final : public QMessageBox {
public:
    using QMessageBox::QMessageBox;
    bool ClosedWithoutAnswer() const { return closedWithoutAnswer_; }

protected:
    void closeEvent(QCloseEvent* event) override {
        if (clickedButton() == nullptr)
            closedWithoutAnswer_ = true;
        QMessageBox::closeEvent(event);
    }

private:
    bool closedWithoutAnswer_ = false;
};

} // namespace

bool QtDialogs::Confirm(const std::string& question) {
    ConfirmationBox box(QMessageBox::Question, QStringLiteral("Lexfall"), FromSystemText(question),
                        QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    // Only No cancels: its button or the Esc key.
    const int answer = box.exec();
    return box.ClosedWithoutAnswer() || answer != QMessageBox::No;
}

Dialogs::Answer QtDialogs::AskYesNoCancel(const std::string& question) {
    const auto answer = QMessageBox::question(
        QApplication::activeWindow(), QStringLiteral("Lexfall"), FromSystemText(question),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    return answer == QMessageBox::Yes  ? Answer::Yes
           : answer == QMessageBox::No ? Answer::No
                                       : Answer::Cancel;
}

} // namespace lexfall
