// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <filesystem>

#include <sys/types.h>

namespace lexfall {

// How the player's files are reached, whatever the player put in their place: links, pipes,
// devices, folders on a FAT stick.

// The file a chain of symbolic links ends at, which need not exist yet. A loop, or a chain too
// long to follow, gives false.
bool FollowLinks(std::filesystem::path& path);

// open() that never waits: a FIFO without a writer or a device is opened at once, so that its
// kind can be checked and it can be refused. The descriptor returned blocks as usual; -1 with
// errno when the open fails.
int OpenWithoutWaiting(const std::filesystem::path& path, int flags, mode_t mode = 0666);

// Whether a mode change failed only because the file system keeps no modes (FAT, exFAT): the
// file is then as good as the change would have made it.
bool ModeNotKept(int error);

// Makes each missing folder on the way to folder with mode (0700, as the desktop's folders
// for the player's files are made); existing folders keep theirs. Whether folder is one now.
bool MakeFolders(const std::filesystem::path& folder, mode_t mode);

} // namespace lexfall
