#pragma once
// The window's services for the soak: a seeded generator, a fixed date, silent sound and
// dialogs that record what they are shown. The one place that builds FormServices here.
#include "app/FormServices.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Random.h"
#include "platform/Sound.h"
#include "platform/posix/PosixNetwork.h"
#include "support/Doubles.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lexfall::soak {

class SoakClock final : public Clock {
public:
    explicit SoakClock(std::uint64_t seed) : seed_(seed) {}
    double Today() const override { return 46366.0; } // 2026-12-10
    std::uint64_t SeedValue() const override { return seed_; }

private:
    std::uint64_t seed_;
};

class SoakDialogs final : public Dialogs {
public:
    std::vector<std::string> messages;
    int questions = 0;
    std::function<bool()> answer = [] { return true; };
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool Confirm(const std::string&) override {
        ++questions;
        return answer();
    }
};

struct SoakDoubles {
    explicit SoakDoubles(std::uint64_t seed) : clock(seed) {}
    SoakClock clock;
    SeededRandom random; // seeded by the window from the clock's seed value
    SoakDialogs dialogs;
    SilentSound sound;
    posix::PosixNetwork network; // never used: the soak does not press the online buttons
    testing::FixedBrowserProxy browserProxy;
};

inline FormServices MakeFormServices(const std::string& appDir, SoakDoubles& doubles) {
    return FormServices{
        .appDir = appDir,
        .settingsDir = appDir,
        .recordsDir = appDir,
        .clock = doubles.clock,
        .random = doubles.random,
        .dialogs = doubles.dialogs,
        .sound = doubles.sound,
        .regional = RegionalSettings{},
        .openLink = [](const QString&) {},
        .network = doubles.network,
        .browserProxy = doubles.browserProxy,
    };
}

} // namespace lexfall::soak
