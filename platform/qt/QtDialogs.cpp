#include "platform/qt/QtDialogs.h"

#include <QApplication>
#include <QMessageBox>

namespace lexfall {

void QtDialogs::ShowMessage(const std::string& text) {
    QMessageBox::information(QApplication::activeWindow(), QStringLiteral("Lexfall"),
                             QString::fromLatin1(text.c_str()));
}

bool QtDialogs::Confirm(const std::string& question) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Lexfall"),
                    QString::fromLatin1(question.c_str()), QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    // Only No cancels; closing the box any other way goes on.
    return box.exec() != QMessageBox::No;
}

} // namespace lexfall
