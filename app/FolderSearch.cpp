#include "app/FolderSearch.h"

#include "platform/qt/QtSystemText.h"

#include <QStandardPaths>

#include <filesystem>
#include <system_error>

namespace lexfall {

namespace {

// Set by the build from the install folders, relative to the game's own.
const InstalledLayout kInstalledLayout{LEXFALL_INSTALLED_DATA_DIR, LEXFALL_INSTALLED_MODULE_DIR};

std::string Located(QStandardPaths::StandardLocation location) {
    return ToSystemText(QStandardPaths::writableLocation(location));
}

} // namespace

const InstalledLayout& BuiltInstalledLayout() {
    return kInstalledLayout;
}

GameFolders FindGameFolders(const QString& programDir) {
    GameFolders folders = ChooseGameFolders(ToSystemText(programDir), kInstalledLayout,
                                            Located(QStandardPaths::GenericConfigLocation),
                                            Located(QStandardPaths::GenericDataLocation));
    if (folders.installed) {
        // With the player's umask, like every other folder the player's programs make.
        // A folder that cannot be made shows up as the error of the first write into it.
        std::error_code ignored;
        for (const std::string& folder : {folders.settingsDir, folders.recordsDir})
            std::filesystem::create_directories(folder, ignored);
    }
    return folders;
}

} // namespace lexfall
