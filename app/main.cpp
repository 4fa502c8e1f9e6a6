// SPDX-License-Identifier: GPL-3.0-or-later
#include "Version.h"
#include "app/AppServices.h"
#include "app/ScreenFit.h"
#include "app/TForm1.h"
#include "platform/posix/QuitSignals.h"
#include "platform/posix/RunAgain.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>

#include <functional>
#include <iostream>
#include <optional>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kUsage = R"(Usage: lexfall [--help | --version]

Lexfall, a word game of falling letters. Any other argument is ignored.
  --help      show this text and exit
  --version   show the version and exit

An installed copy keeps each player's settings in $XDG_CONFIG_HOME/lexfall/Lexfall.ini
(by default ~/.config/lexfall/) and records in $XDG_DATA_HOME/lexfall/Records.dat (by default
~/.local/share/lexfall/). A folder with Dict.dll beside the program keeps both beside it.
)";

constexpr const char* kLicence = R"(Copyright (C) 2026 the Lexfall developers.
License GPL-3.0-or-later: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.
This is free software: you are free to change and redistribute it.
There is NO WARRANTY, to the extent permitted by law.
)";

// Answered before the application object exists, so they work without a display.
bool AnsweredOnTheCommandLine(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help") {
            std::cout << kUsage;
            return true;
        }
        if (argument == "--version") {
            std::cout << "lexfall " LEXFALL_VERSION "\n" << kLicence;
            return true;
        }
    }
    return false;
}

// Runs an action once, a moment after the first paint of any widget: time for the display
// server, which shares the processor, to put the first frame on the screen.
class AfterFirstPaint : public QObject {
public:
    static constexpr int kDelay = 250; // ms

    explicit AfterFirstPaint(std::function<void()> action) : action_(std::move(action)) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && action_) {
            qApp->removeEventFilter(this);
            QTimer::singleShot(kDelay, qApp, std::move(action_));
            action_ = nullptr;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> action_;
};

// The menu entry's name: Wayland compositors match the window to it, for its icon and its place
// in the dock.
constexpr const char* kDesktopFileName = "org.example.lexfall.Lexfall";
// Set when the program has started again to fit the screen, so it does so once at most.
constexpr const char* kFittedMark = "LEXFALL_SCALE_FITTED";

// At a large scale on a small screen the fixed window would run past the screen's edge. The
// program then starts again, at once and without a word, at the largest scale that fits.
void FitTheScreen(std::vector<char*>& arguments) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || qEnvironmentVariableIsSet(kFittedMark))
        return;
    const qreal ratio = screen->devicePixelRatio();
    const QRect area = screen->availableGeometry();
    const auto fitting = lexfall::RatioThatFits(
        ratio, {area.width() * ratio, area.height() * ratio}, lexfall::TForm1::kWindowSize.width(),
        lexfall::TForm1::kWindowSize.height());
    if (!fitting)
        return;
    bool set = false;
    double factor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&set);
    if (!set || factor <= 0)
        factor = 1.0;
    qputenv("QT_SCALE_FACTOR", QByteArray::number(factor * *fitting / ratio, 'g', 8));
    qputenv(kFittedMark, "1");
    lexfall::RunAgain(arguments.data());
}

// Closes the open boxes, the start-up's included (they run before the main loop), and ends
// every event loop. Unlike a window's close, this asks nothing.
void QuitWithoutQuestions() {
    while (QWidget* box = QApplication::activeModalWidget()) {
        box->hide();
        if (auto* dialog = qobject_cast<QDialog*>(box))
            dialog->reject();
    }
    QCoreApplication::exit(0);
}

} // namespace

int main(int argc, char** argv) {
    if (AnsweredOnTheCommandLine(argc, argv))
        return 0;
    // The application object takes its own options out of argv; starting again needs them all.
    std::vector<char*> arguments(argv, argv + argc + 1);
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopFileName));
    QApplication app(argc, argv);
    FitTheScreen(arguments);
    // A logout or Ctrl+C ends the game as the window's own quit would, minus the questions:
    // nobody is there to answer them.
    bool quitRequested = false;
    std::optional<QSocketNotifier> quitSignals;
    if (const int pipe = lexfall::WatchQuitSignals(); pipe >= 0) {
        quitSignals.emplace(pipe, QSocketNotifier::Read);
        QObject::connect(&*quitSignals, &QSocketNotifier::activated, [&quitRequested] {
            quitRequested = true;
            QuitWithoutQuestions();
        });
    }
    lexfall::AppServices services;
    lexfall::TForm1 form(services.Services());
    // Loading the audio library or sending the large icons would compete with the first paint
    // for the processor and the display.
    const AfterFirstPaint afterFirstPaint([&services, &form] {
        form.CompleteWindowIcon();
        services.StartAudio();
    });
    form.move(form.screen()->availableGeometry().center() - form.rect().center());
    // Asked to quit while a start-up box was open: the main loop never starts.
    if (quitRequested)
        return 0;
    form.show();
    return app.exec();
}
