#include "app/AppServices.h"

#include "media/AsyncSound.h"
#include "media/sdl/SdlSound.h"

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

// The audio device is opened on its own thread when the first sound or piece is due, so the
// window never waits for it; with no device the sound stays silent and the game runs on.
AppServices::AppServices()
    : sound_(std::make_unique<AsyncSound>([dir = ProgramDir()]() -> std::unique_ptr<Sound> {
          auto sound = std::make_unique<SdlSound>(dir);
          if (!sound->Audible())
              return nullptr;
          return sound;
      })) {}

AppServices::~AppServices() = default;

FormServices AppServices::Services() {
    return FormServices{ProgramDir(), clock_, random_, dialogs_, *sound_,
                        ReadSystemRegionalSettings(),
                        // The result is ignored: a link that cannot be opened fails silently.
                        [](const QString& target) { QDesktopServices::openUrl(QUrl(target)); }};
}

} // namespace lexfall
