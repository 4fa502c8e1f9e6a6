#include "platform/qt/QtDialogs.h"

#include "platform/qt/QtSystemText.h"

#include <QApplication>
#include <QMessageBox>

namespace lexfall {

void QtDialogs::ShowMessage(const std::string& text) {
    QMessageBox::information(QApplication::activeWindow(), QStringLiteral("Lexfall"),
                             FromSystemText(text));
}

bool QtDialogs::Confirm(const std::string& question) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Lexfall"), FromSystemText(question),
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    // Only No cancels; closing the box any other way goes on.
    return box.exec() != QMessageBox::No;
}

} // namespace lexfall
