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
    return FormServices{ToSystemText(dir), clock_, random_, dialogs_, *sound_,
                        ReadSystemRegionalSettings(),
                        // The result is ignored: a link that cannot be opened fails silently.
                        [](const QString& target) { QDesktopServices::openUrl(QUrl(target)); }};
}

} // namespace lexfall
