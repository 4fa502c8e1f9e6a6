// SPDX-License-Identifier: GPL-3.0-or-later
#include "Version.h"
#include "app/AppServices.h"
#include "app/TForm1.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QTimer>

#include <functional>
#include <iostream>
#include <string_view>

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

} // namespace

int main(int argc, char** argv) {
    if (AnsweredOnTheCommandLine(argc, argv))
        return 0;
    QApplication app(argc, argv);
    lexfall::AppServices services;
    lexfall::TForm1 form(services.Services());
    // Loading the audio library or sending the large icons would compete with the first paint
    // for the processor and the display.
    const AfterFirstPaint afterFirstPaint([&services, &form] {
        form.CompleteWindowIcon();
        services.StartAudio();
    });
    form.move(form.screen()->availableGeometry().center() - form.rect().center());
    form.show();
    return app.exec();
}
