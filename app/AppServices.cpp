#include "app/AppServices.h"

#include "app/AudioModuleLoader.h"
#include "media/AsyncSound.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace lexfall {

namespace {

std::string ProgramDir() {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + "/").toStdString();
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
    return FormServices{ProgramDir(), clock_, random_, dialogs_, *sound_,
                        ReadSystemRegionalSettings(),
                        // The result is ignored: a link that cannot be opened fails silently.
                        [](const QString& target) { QDesktopServices::openUrl(QUrl(target)); }};
}

} // namespace lexfall
