#include "platform/qt/QtDialogs.h"

#include "platform/qt/QtSystemText.h"

#include <QApplication>
#include <QMessageBox>

namespace lexfall {

void QtDialogs::ShowMessage(const std::string& text) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Lexfall"), FromSystemText(text),
                    QMessageBox::Ok, QApplication::activeWindow());
    // The texts carry server replies and file contents, never markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
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
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    // Only No cancels: its button or the Esc key.
    const int answer = box.exec();
    return box.ClosedWithoutAnswer() || answer != QMessageBox::No;
}

} // namespace lexfall
