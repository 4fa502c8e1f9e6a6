// SPDX-License-Identifier: GPL-3.0-or-later
// A Qt generic plug-in that plays the real program from inside its own process, for the
// kill-during-save test. Qt loads it only when the test names it in QT_QPA_GENERIC_PLUGINS and
// puts its folder on QT_PLUGIN_PATH, so the program ships without any test hook.
//
// It answers every message box (Yes to questions), clicks Save Rec once, then plays games
// with random moves and hard drops. Before each event it writes to LEXFALL_DRIVE_JOURNAL what
// the program may save next: "save-rec" before the Save Rec click, and the game's figures
// "fig T L W" whenever they change. A game's record at its end is those figures with one
// more letter, so the test knows every record the program can have written.
#include <QAbstractButton>
#include <QApplication>
#include <QGenericPlugin>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <random>
#include <string>

namespace {

class Driver : public QObject {
public:
    Driver() : rng_(qEnvironmentVariableIntValue("LEXFALL_DRIVE_SEED")) {
        journal_ = ::open(qgetenv("LEXFALL_DRIVE_JOURNAL").constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        qApp->installEventFilter(this);
        connect(&timer_, &QTimer::timeout, this, [this] { Step(); });
        timer_.start(2);
    }
    ~Driver() override { ::close(journal_); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        // Every handler of the game runs from a timer: journal what it may save first.
        if (event->type() == QEvent::Timer)
            JournalFigures();
        return false;
    }

private:
    void Journal(const std::string& line) {
        const std::string text = line + "\n";
        [[maybe_unused]] const ssize_t written = ::write(journal_, text.data(), text.size());
    }

    QPushButton* Button(const QString& caption) const {
        for (QPushButton* button : window_->findChildren<QPushButton*>())
            if (button->text() == caption)
                return button;
        return nullptr;
    }

    // The game column's figures sit at fixed places on the records page.
    QLabel* LabelAt(QWidget* page, QPoint place) const {
        for (QLabel* label : page->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
            if (label->pos() == place)
                return label;
        return nullptr;
    }

    void JournalFigures() {
        if (figures_[0] == nullptr && !FindFigures())
            return;
        const QString line =
            QStringLiteral("fig %1 %2 %3")
                .arg(figures_[0]->text(), figures_[1]->text(), figures_[2]->text());
        if (line != lastFigures_) {
            lastFigures_ = line;
            Journal(line.toStdString());
        }
    }

    bool FindWindow() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<QMainWindow*>(widget);
            if (window && window->isVisible())
                window_ = window;
        }
        return window_ != nullptr;
    }

    // The records page is made the first time the game needs it; until then there are no
    // figures to journal.
    bool FindFigures() {
        QPushButton* save = window_ ? Button(QStringLiteral("&Save Rec")) : nullptr;
        if (!save)
            return false;
        QWidget* records = save->parentWidget();
        for (int row = 0; row < 3; ++row)
            figures_[row] = LabelAt(records, QPoint(184, 112 + 24 * row));
        return figures_[0] && figures_[1] && figures_[2];
    }

    void Click(const QString& caption) {
        QPushButton* button = Button(caption);
        if (button && button->isEnabled() && button->isVisible())
            button->click();
    }

    void Key(int key) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window_;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        QApplication::sendEvent(target, &release);
    }

    void Step() {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            Journal("box " + box->text().toStdString());
            QAbstractButton* yes = box->button(QMessageBox::Yes);
            QAbstractButton* ok = box->button(QMessageBox::Ok);
            if (yes || ok)
                (yes ? yes : ok)->click();
            else
                box->done(0);
            return;
        }
        if (!window_ && !FindWindow())
            return;
        QPushButton* start = Button(QStringLiteral("&Start"));
        switch (stage_) {
        case Stage::ToRecords:
            Click(QStringLiteral("&Records"));
            stage_ = Stage::SaveRec;
            return;
        case Stage::SaveRec:
            Journal("save-rec");
            stage_ = Stage::Play;
            // Queued: its question box runs a nested loop, and this timer does not fire again
            // inside its own tick, so it could never answer the box.
            QMetaObject::invokeMethod(
                this, [this] { Click(QStringLiteral("&Save Rec")); }, Qt::QueuedConnection);
            return;
        case Stage::Play:
            break;
        }
        // Start's own flag: a hidden page disables its buttons whatever their own state.
        if (!start->testAttribute(Qt::WA_ForceDisabled)) {
            // No game running: back to the game page, then Start.
            if (!start->isVisible())
                Click(QStringLiteral("&Continue"));
            else
                start->click();
            return;
        }
        // Steer at random; a hard drop now and then lands the letter at the next tick.
        const int roll = std::uniform_int_distribution<int>(0, 9)(rng_);
        Key(roll < 4 ? Qt::Key_Left : roll < 8 ? Qt::Key_Right : Qt::Key_Down);
    }

    enum class Stage { ToRecords, SaveRec, Play };
    Stage stage_ = Stage::ToRecords;
    QTimer timer_;
    std::mt19937 rng_;
    int journal_ = -1;
    QMainWindow* window_ = nullptr;
    QLabel* figures_[3] = {};
    QString lastFigures_;
};

} // namespace

class LexfallDrivePlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "DrivePlugin.json")
public:
    QObject* create(const QString&, const QString&) override { return new Driver; }
};

#include "DrivePlugin.moc"
