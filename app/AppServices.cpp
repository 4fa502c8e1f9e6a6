#include "app/AppServices.h"

#include "app/AudioModuleLoader.h"
#include "media/AsyncSound.h"
#include "platform/qt/QtSystemText.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace lexfall {

namespace {

std::string ProgramDir() {
    return ToSystemText(QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + "/"));
}

} // namespace

// The audio module is loaded and the device opened on the audio thread, once the window is on
// screen (StartAudio) and the first sound or piece is due; with no device the sound stays
// silent and the game runs on.
AppServices::AppServices()
    : sound_(std::make_unique<AsyncSound>([dir = ProgramDir()] { return OpenAudioModule(dir); },
                                          false)) {}

void AppServices::StartAudio() {
    sound_->Start();
}

// Closing the audio device would hold up the exit by tens of milliseconds for nothing.
AppServices::~AppServices() {
    sound_->LeaveDeviceToExit();
}

FormServices AppServices::Services() {
    return FormServices{
        .appDir = ProgramDir(),
        .clock = clock_,
        .random = random_,
        .dialogs = dialogs_,
        .sound = *sound_,
        .regional = ReadSystemRegionalSettings(),
        // The result is ignored: a link that cannot be opened fails silently.
        .openLink = [](const QString& target) { QDesktopServices::openUrl(QUrl(target)); },
        .network = network_,
        .browserProxy = browserProxy_,
    };
}

} // namespace lexfall
