// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PlayerFile.h"

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lexfall {

namespace fs = std::filesystem;

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

int OpenWithoutWaiting(const fs::path& path, int flags, mode_t mode) {
    int fd;
    do
        fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    const int status = ::fcntl(fd, F_GETFL);
    if (status != -1)
        ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    return fd;
}

bool ModeNotKept(int error) {
    // EOPNOTSUPP is also ENOTSUP on Linux.
    return error == EPERM || error == EOPNOTSUPP;
}

bool MakeFolders(const fs::path& folder, mode_t mode) {
    fs::path made;
    for (const fs::path& part : folder.lexically_normal()) {
        if (part.empty())
            continue;
        made /= part;
        // mkdir applies the umask, which can only take rights away.
        if (::mkdir(made.c_str(), mode) != 0 && errno != EEXIST)
            return false;
    }
    std::error_code error;
    return fs::is_directory(folder, error);
}

} // namespace lexfall
