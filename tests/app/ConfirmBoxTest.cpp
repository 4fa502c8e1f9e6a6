// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/QtDialogs.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace lexfall {
namespace {

// Answers the next confirmation box as soon as it is up.
bool Answer(const std::function<void(QMessageBox&)>& answer) {
    QTimer::singleShot(0, [answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        answer(*box);
    });
    QtDialogs dialogs;
    return dialogs.Confirm("Put your record to game server, are you sure?");
}

// Only No cancels, by its button or by Esc; the title-bar close counts as Yes.
TEST(ConfirmBoxTest, OnlyNoOrEscCancels) {
    EXPECT_TRUE(Answer([](QMessageBox& box) { box.button(QMessageBox::Yes)->click(); }));
    EXPECT_FALSE(Answer([](QMessageBox& box) { box.button(QMessageBox::No)->click(); }));
    EXPECT_FALSE(Answer([](QMessageBox& box) {
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&box, &esc);
    }));
    EXPECT_TRUE(Answer([](QMessageBox& box) { box.close(); }));
}

} // namespace
} // namespace lexfall
