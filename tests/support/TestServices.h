// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's services for tests: one double of each, owned here, and the FormServices that
// hand them to a window.
#include "app/FormServices.h"
#include "platform/posix/PosixNetwork.h"
#include "platform/posix/TlsModuleLoader.h"
#include "support/Doubles.h"

#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lexfall::testing {

// Real sockets (the tests' servers listen on 127.0.0.1), with a hook that runs as each
// connection is opened. TLS comes from the build's module, as the game loads it.
class HookedNetwork final : public Network {
public:
    std::function<void()> onConnect;
    std::unique_ptr<Connection> Connect(const std::string& host, std::uint16_t port,
                                        std::chrono::milliseconds limit,
                                        const RequestEnd& end = {}) override {
        if (onConnect)
            onConnect();
        return real_.Connect(host, port, limit, end);
    }
    std::unique_ptr<Connection> StartTls(std::unique_ptr<Connection> plain, const std::string& host,
                                         std::chrono::milliseconds limit) override {
        return real_.StartTls(std::move(plain), host, limit);
    }

private:
    posix::PosixNetwork real_{posix::TlsFromModule(LEXFALL_BIN_DIR "/")};
};

// Doubles a single window uses in place of the shared ones.
struct Instead {
    Dialogs* dialogs = nullptr;
    Sound* sound = nullptr;
    const RegionalSettings* regional = nullptr;
};

class TestServices {
public:
    TestServices() = default;
    // The links opener refers back to this object.
    TestServices(const TestServices&) = delete;
    TestServices& operator=(const TestServices&) = delete;

    FormServices For(const std::string& appDir, Instead instead = {}) {
        return FormServices{
            .appDir = appDir,
            .settingsDir = appDir,
            .recordsDir = appDir,
            .clock = clock,
            .random = random,
            .dialogs = instead.dialogs != nullptr ? *instead.dialogs : dialogs,
            .sound = instead.sound != nullptr ? *instead.sound : sound,
            .regional = instead.regional != nullptr ? *instead.regional : regional,
            .openLink = [this](const QString& link) { links.push_back(link.toStdString()); },
            .network = network,
            .browserProxy = browserProxy,
            .httpLimits = httpLimits,
        };
    }

    FixedClock clock;
    ScriptedRandom random;
    RecordingDialogs dialogs;
    RecordingSound sound;
    RegionalSettings regional;
    std::vector<std::string> links; // every address the window opened
    HookedNetwork network;
    FixedBrowserProxy browserProxy;
    HttpLimits httpLimits; // the records server's time limits of every window made after
};

} // namespace lexfall::testing
