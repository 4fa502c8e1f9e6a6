// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppServices.h"

#include "app/AudioModuleLoader.h"
#include "app/FolderSearch.h"
#include "media/AsyncSound.h"
#include "platform/posix/TlsModuleLoader.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

namespace lexfall {

// The audio module is loaded and the device opened on the audio thread, once the window is on
// screen (StartAudio) and the first sound or piece is due; with no device the sound stays
// silent and the game runs on. The TLS module likewise loads with the first https connection.
AppServices::AppServices()
    : folders_(FindGameFolders(QCoreApplication::applicationDirPath())),
      sound_(std::make_unique<AsyncSound>(
          [module = folders_.moduleDir, data = folders_.dataDir] {
              return OpenAudioModule(module, data);
          },
          false)),
      network_(posix::TlsFromModule(folders_.moduleDir)) {
    if (folders_.homeless)
        homelessDialogs_ = std::make_unique<HomelessDialogs>(dialogs_, folders_);
}

void AppServices::StartAudio() {
    sound_->Start();
}

// Closing the audio device would hold up the exit by tens of milliseconds for nothing.
AppServices::~AppServices() {
    sound_->LeaveDeviceToExit();
}

FormServices AppServices::Services() {
    return FormServices{
        .appDir = folders_.dataDir,
        .settingsDir = folders_.settingsDir,
        .recordsDir = folders_.recordsDir,
        .clock = clock_,
        .random = random_,
        .dialogs = homelessDialogs_ ? static_cast<Dialogs&>(*homelessDialogs_) : dialogs_,
        .sound = *sound_,
        .regional = ReadSystemRegionalSettings(),
        // The result is ignored: a link that cannot be opened fails silently.
        .openLink = [](const QString& target) { QDesktopServices::openUrl(QUrl(target)); },
        .network = network_,
        .browserProxy = browserProxy_,
    };
}

} // namespace lexfall
