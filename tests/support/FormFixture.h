#pragma once
// A real window on the offscreen platform, with every service replaced by a test double and a
// fresh program folder of its own.
#include "app/Canvas.h"
#include "app/GameTimer.h"
#include "app/TForm1.h"
#include "platform/posix/PosixNetwork.h"
#include "support/Doubles.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lexfall::testing {

// Real sockets (the tests' servers listen on 127.0.0.1), with a hook that runs as each
// connection is opened.
class HookedNetwork final : public Network {
public:
    std::function<void()> onConnect;
    std::unique_ptr<Connection> Connect(const std::string& host, std::uint16_t port,
                                        std::chrono::milliseconds limit) override {
        if (onConnect)
            onConnect();
        return real_.Connect(host, port, limit);
    }

private:
    posix::PosixNetwork real_;
};

class FormTest : public ::testing::Test {
protected:
    // Files to lay into the program folder before the window starts.
    virtual void PrepareAppDir(const QString&) {}

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        appDir = (dir.path() + "/").toStdString();
        PrepareAppDir(dir.path() + "/");
    }

    TForm1& Form() {
        if (!form)
            form = std::make_unique<TForm1>(FormServices{
                .appDir = appDir,
                .clock = clock,
                .random = random,
                .dialogs = dialogs,
                .sound = sound,
                .regional = regional,
                .openLink = [this](const QString& t) { links.push_back(t.toStdString()); },
                .network = network,
                .browserProxy = browserProxy,
            });
        return *form;
    }

    // Runs drop ticks until the falling letter lands (or the game ends).
    void TickUntilLanded() {
        TForm1& f = Form();
        const int letters = f.state.GameRec.UsedLetters;
        for (int i = 0; i < 20 && f.state.GameRec.UsedLetters == letters; ++i)
            f.Timer1Timer();
    }

    QRgb BoardPixel(int x, int y) { return Form().Image1->Image().pixel(x, y); }

    QTemporaryDir dir;
    std::string appDir;
    FixedClock clock;
    ScriptedRandom random;
    RecordingDialogs dialogs;
    RecordingSound sound;
    std::vector<std::string> links;
    RegionalSettings regional;
    HookedNetwork network;
    FixedBrowserProxy browserProxy;
    std::unique_ptr<TForm1> form;
};

// r values that give a letter from the next-letter table.
constexpr int kE = 0, kA = 121, kS = 348, kT = 655, kD = 440, kB = 712, kC = 735;

} // namespace lexfall::testing
