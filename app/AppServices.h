// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "app/FormServices.h"
#include "app/HomelessDialogs.h"
#include "media/AsyncSound.h"
#include "platform/GameFolders.h"
#include "platform/posix/EnvironmentProxy.h"
#include "platform/posix/PosixNetwork.h"
#include "platform/qt/QtDialogs.h"

#include <memory>

namespace lexfall {

// The real implementations of the window's services, owned for the whole run.
class AppServices {
public:
    AppServices();
    ~AppServices();
    FormServices Services();
    // Lets the audio device open; called once the window has first been painted.
    void StartAudio();
    const GameFolders& Folders() const { return folders_; }

private:
    GameFolders folders_;
    SystemClock clock_;
    SeededRandom random_;
    QtDialogs dialogs_;
    std::unique_ptr<HomelessDialogs> homelessDialogs_; // only when folders_.homeless
    std::unique_ptr<AsyncSound> sound_;
    posix::PosixNetwork network_;
    posix::EnvironmentProxy browserProxy_;
};

} // namespace lexfall
