#include "settings/FileReplace.h"

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lexfall {
namespace {

namespace fs = std::filesystem;

// The file a chain of symbolic links ends at, which need not exist yet. A loop, or a chain
// too long to follow, gives nothing.
bool FollowLinks(fs::path& path) {
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error)))
            return !error || error == std::errc::no_such_file_or_directory;
        const fs::path target = fs::read_symlink(path, error);
        if (error)
            return false;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return false;
}

bool WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t n = ::write(fd, content.data(), content.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        content.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The mode a newly created file gets, as open() with 0666 would give it.
mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void SyncFolder(const fs::path& folder) {
    // Makes the rename itself durable; a folder that cannot be opened for it loses nothing.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool ReplaceFileContents(const std::string& path, std::string_view content) {
    fs::path target(path);
    if (!FollowLinks(target))
        return false;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");

    struct stat old {};
    const mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : NewFileMode();

    std::string name = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    const int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    name = buffer.data();

    bool written = WriteAll(fd, content) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(name.c_str(), target.c_str()) != 0) {
        ::unlink(name.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

} // namespace lexfall
