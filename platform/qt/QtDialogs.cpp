// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/QtDialogs.h"

#include "platform/qt/QtSystemText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <atomic>
#include <thread>

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

Dialogs::Answer QtDialogs::AskYesNoCancel(const std::string& question) {
    const auto answer = QMessageBox::question(
        QApplication::activeWindow(), QStringLiteral("Lexfall"), FromSystemText(question),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    return answer == QMessageBox::Yes  ? Answer::Yes
           : answer == QMessageBox::No ? Answer::No
                                       : Answer::Cancel;
}

WaitingBox::WaitingBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WaitingBox"));
    setWindowTitle(QStringLiteral("Lexfall"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(QString::fromUtf8(WaitingText), this);
    text->setTextFormat(Qt::PlainText);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

namespace {

// Holds the player's input away from everything but the waiting box while a request runs;
// the window still paints. Closing the window waits too.
class InputHold final : public QObject {
public:
    explicit InputHold(const QWidget* allowed) : allowed_(allowed) {
        qApp->installEventFilter(this);
        QApplication::setOverrideCursor(Qt::BusyCursor);
    }
    ~InputHold() override {
        QApplication::restoreOverrideCursor();
        qApp->removeEventFilter(this);
    }
    InputHold(const InputHold&) = delete;
    InputHold& operator=(const InputHold&) = delete;

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (!IsInput(event->type()))
            return false;
        // The window system's input reaches the box's window first, then its widgets.
        const auto* widget = qobject_cast<const QWidget*>(target);
        const bool forBox =
            target == allowed_->windowHandle() ||
            (widget != nullptr && (widget == allowed_ || allowed_->isAncestorOf(widget)));
        if (forBox && allowed_->isVisible())
            return false;
        if (event->type() == QEvent::Close)
            event->ignore();
        return true;
    }

private:
    static bool IsInput(QEvent::Type type) {
        switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::Close:
            return true;
        default:
            return false;
        }
    }

    const QWidget* allowed_;
};

} // namespace

void RunWhileWaiting(const std::function<void()>& work, const std::function<void()>& cancel,
                     QWidget* parent, std::chrono::milliseconds boxDelay) {
    WaitingBox box(parent);
    const InputHold hold(&box);
    QEventLoop loop;
    QObject::connect(&box, &QDialog::rejected, &box, [&cancel] { cancel(); });
    QTimer showBox;
    showBox.setSingleShot(true);
    QObject::connect(&showBox, &QTimer::timeout, &box, [&box] { box.show(); });
    showBox.start(boxDelay);
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
        // Queued: the loop below may not have started yet, and then it quits once it does.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    // The program quitting ends every event loop; the request then ends too.
    if (!done)
        cancel();
    worker.join();
    showBox.stop();
    box.hide();
}

} // namespace lexfall
