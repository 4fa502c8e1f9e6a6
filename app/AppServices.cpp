#include "app/AppServices.h"

#include "media/sdl/SdlSound.h"
#include "platform/qt/QtSystemText.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace lexfall {

// With no audio device the sound stays silent and the game runs on.
AppServices::AppServices() : sound_(std::make_unique<SdlSound>()) {}

AppServices::~AppServices() = default;

FormServices AppServices::Services() {
    const QString dir = QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + "/");
    return FormServices{
        .appDir = ToSystemText(dir),
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
