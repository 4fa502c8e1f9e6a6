// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for the game's start-up: a bare Qt window of the game's size with a similar set
// of controls, which quits after its first paint. Built a second time with the audio library
// (startup-bare-audio PIECE.mid MS): after the first paint it opens the library, loads the piece
// with the game's sound font, plays it for the time given and quits; the library alone, for
// the memory and CPU figures. The first build does not link the library at all.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#ifdef WITH_AUDIO
#include <SDL.h>
#include <SDL_mixer.h>
#endif

#include <cstdlib>
#include <functional>

namespace {

class BareWindow : public QWidget {
public:
    std::function<void()> afterFirstPaint;

protected:
    void paintEvent(QPaintEvent* event) override {
        QWidget::paintEvent(event);
        if (afterFirstPaint) {
            QTimer::singleShot(0, this, afterFirstPaint);
            afterFirstPaint = nullptr;
        }
    }
};

// The game's client area is 505 x 518 inside an 8-pixel border.
void AddControls(QWidget* window) {
    auto* banner = new QLabel(QStringLiteral("Banner"), window);
    banner->setGeometry(8, 8, 505, 61);
    for (int page = 0; page < 3; ++page) {
        auto* frame = new QFrame(window);
        frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
        frame->setGeometry(8, 69, 505, 457);
        frame->setVisible(page == 0);
        for (int row = 0; row < 5; ++row) {
            new QLabel(QStringLiteral("Label %1").arg(row), frame);
            auto* label = frame->findChildren<QLabel*>().back();
            label->move(24, 24 + row * 24);
            auto* value = new QLabel(QStringLiteral("0"), frame);
            value->move(184, 24 + row * 24);
            auto* button = new QPushButton(QStringLiteral("&Button %1").arg(row), frame);
            button->setGeometry(392, 280 + row * 32, 75, 25);
        }
        if (page == 0) {
            auto* log = new QPlainTextEdit(frame);
            log->setGeometry(340, 16, 145, 240);
            log->setEnabled(false);
        } else {
            for (int row = 0; row < 3; ++row) {
                auto* check = new QCheckBox(QStringLiteral("Enable"), frame);
                check->move(312, 24 + row * 24);
                auto* edit = new QLineEdit(frame);
                edit->setGeometry(104, 120 + row * 24, 121, 21);
            }
            auto* box = new QComboBox(frame);
            box->setEditable(true);
            box->setGeometry(104, 22, 185, 21);
        }
    }
}

#ifdef WITH_AUDIO
void PlayFor(const char* piece, int ms, QApplication& app) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_InitSubSystem(SDL_INIT_AUDIO);
    Mix_Init(MIX_INIT_MID);
    Mix_SetSoundFonts("/usr/share/sounds/sf2/default-GM.sf2");
    if (Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, 2, 1024) == 0) {
        if (Mix_Music* music = Mix_LoadMUS(piece))
            Mix_PlayMusic(music, 0);
    }
    QTimer::singleShot(ms, &app, &QApplication::quit);
}
#endif

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    BareWindow window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.setFixedSize(521, 534);
    AddControls(&window);
#ifdef WITH_AUDIO
    if (argc != 3)
        return 2;
    const char* piece = argv[1];
    const int ms = std::atoi(argv[2]);
    window.afterFirstPaint = [piece, ms, &app] { PlayFor(piece, ms, app); };
#else
    window.afterFirstPaint = [&app] { app.quit(); };
#endif
    window.show();
    return app.exec();
}
