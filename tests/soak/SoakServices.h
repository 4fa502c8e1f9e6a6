// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's services for the soak: a seeded generator, a fixed date, silent sound and
// dialogs that record what they are shown. The one place that builds FormServices here.
#include "app/FormServices.h"
#include "platform/Random.h"
#include "platform/posix/PosixNetwork.h"
#include "support/Doubles.h"

#include <cstdint>
#include <string>

namespace lexfall::soak {

struct SoakDoubles {
    explicit SoakDoubles(std::uint64_t seed) { clock.seed = seed; }
    testing::FixedClock clock;
    SeededRandom random; // seeded by the window from the clock's seed value
    testing::RecordingDialogs dialogs;
    testing::SilentSound sound;
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
