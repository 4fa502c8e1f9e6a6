// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/FileReplace.h"

#include "platform/PlayerFile.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lexfall {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTempSuffix = ".XXXXXX";

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

// The mode of a new settings file: the player's alone, since the access code and the proxy
// password are kept in it. The umask may take more away.
mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0600 & ~mask;
}

void SyncFolder(const fs::path& folder) {
    // Makes the rename itself durable; a folder that cannot be opened for it loses nothing.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The hidden name our temporary files of target get: "." + name + "." + six characters.
std::string TempPattern(const fs::path& folder, const fs::path& target) {
    return (folder / ("." + target.filename().string() + kTempSuffix)).string();
}

bool IsOurTemp(const std::string& name, const std::string& prefix) {
    return name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0;
}

// Temporary files of ours that a killed write of an older version left behind, or the short
// gap between link and rename of this one; a minute old, no write of ours is still on them.
void RemoveOldLeftovers(const fs::path& folder, const fs::path& target) {
    const std::string prefix = "." + target.filename().string() + ".";
    std::error_code error;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!IsOurTemp(name, prefix) || !it->is_regular_file(error))
            continue;
        const auto written = fs::last_write_time(it->path(), error);
        if (!error && now - written > std::chrono::minutes(1))
            fs::remove(it->path(), error);
        error.clear();
    }
}

// An unnamed file in folder, given a name only once complete: a write killed before that
// leaves nothing behind. Not every file system offers one; -1 then.
int OpenUnnamed(const fs::path& folder) {
#ifdef O_TMPFILE
    return ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
#else
    (void)folder;
    errno = EOPNOTSUPP;
    return -1;
#endif
}

// pattern with its last six characters made up afresh.
std::string FreshName(const std::string& pattern) {
    static constexpr char kChars[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::mt19937 random(std::random_device{}());
    std::string name = pattern;
    for (std::size_t i = name.size() - 6; i < name.size(); ++i)
        name[i] = kChars[random() % (sizeof kChars - 1)];
    return name;
}

// Gives the unnamed file fd a free name of our pattern; false when that is refused.
bool LinkUnnamed(int fd, const std::string& pattern, std::string& name) {
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = FreshName(pattern);
        // linkat refuses a name that is taken, so no other file is ever replaced here.
        if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            name = candidate;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// A FAT stick keeps no modes and refuses the change (or ignores it): the file is written all
// the same.
bool FillAndSync(int fd, std::string_view content, mode_t mode) {
    return WriteAll(fd, content) && (::fchmod(fd, mode) == 0 || ModeNotKept(errno)) &&
           ::fsync(fd) == 0;
}

// The new text, complete and on the disk, in a file of ours beside the target; its name goes
// to name. An unnamed file is used where the system offers one, else a named one. False when
// that fails; folderRefused then tells whether the folder takes no new file at all.
bool WriteTemp(const fs::path& folder, const std::string& pattern, std::string& name,
               std::string_view content, mode_t mode, bool& folderRefused) {
    folderRefused = false;
    if (const int fd = OpenUnnamed(folder); fd >= 0) {
        bool written = FillAndSync(fd, content, mode) && LinkUnnamed(fd, pattern, name);
        written = ::close(fd) == 0 && written;
        if (written)
            return true;
        if (!name.empty())
            ::unlink(name.c_str());
        name.clear();
    }
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (fd < 0) {
        folderRefused = errno == EACCES || errno == EPERM || errno == EROFS;
        return false;
    }
    name = buffer.data();
    bool written = FillAndSync(fd, content, mode);
    written = ::close(fd) == 0 && written;
    if (!written)
        ::unlink(name.c_str());
    return written;
}

// The whole text written over the file where it stands: its owner and rights stay, but a
// failure part way leaves a mix, so this is only for a folder that takes no new file.
bool WriteInPlace(const fs::path& target, std::string_view content) {
    const int fd = OpenWithoutWaiting(target, O_WRONLY);
    if (fd < 0)
        return false;
    bool written = WriteAll(fd, content) &&
                   ::ftruncate(fd, static_cast<off_t>(content.size())) == 0 && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    return written;
}

} // namespace

namespace {

// A rename needs only the folder's write right; the file's own rights and owner must count
// too, or a read-only file, or another user's, would be replaced by one of ours.
bool MayReplace(const fs::path& file, const struct stat& info) {
    return ::access(file.c_str(), W_OK) == 0 && info.st_uid == ::geteuid();
}

} // namespace

void RemoveOldReplaceLeftovers(const std::string& path) {
    fs::path target(path);
    if (!FollowLinks(target))
        return;
    RemoveOldLeftovers(target.has_parent_path() ? target.parent_path() : fs::path("."), target);
}

bool MayReplaceExistingFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && MayReplace(path, info);
}

bool ReplaceFileContents(const std::string& path, std::string_view content) {
    fs::path target(path);
    if (!FollowLinks(target))
        return false;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    // A pipe or a device in the file's place is the player's, not ours to replace.
    if (exists && (!S_ISREG(old.st_mode) || !MayReplace(target, old)))
        return false;
    const mode_t mode = exists ? (old.st_mode & 07777) : NewFileMode();

    RemoveOldLeftovers(folder, target);
    std::string name;
    bool folderRefused = false;
    if (!WriteTemp(folder, TempPattern(folder, target), name, content, mode, folderRefused))
        return exists && folderRefused && WriteInPlace(target, content);
    if (::rename(name.c_str(), target.c_str()) != 0) {
        ::unlink(name.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

} // namespace lexfall
