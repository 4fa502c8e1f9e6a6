// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <string_view>

namespace lexfall {

// Replaces the whole contents of the file at path, or creates it. The text goes to a new file
// in the same folder, is flushed to the disk, and is renamed over the old one, so the file is
// always either the old text or the new one: a full disk or a crash never leaves a mix. The
// new file has no name until it is complete (O_TMPFILE where the file system has it), so a
// killed write leaves nothing; a named temporary file of ours left by an older write is removed
// once it is a minute old. A symbolic link keeps pointing where it pointed: the file it leads
// to is replaced, and an existing file keeps its permissions; a new one is made 0600 (less as
// the umask says). A file system that keeps no modes (FAT) refusing the mode is no failure.
// A file the caller may not write (its mode, or another owner), or no regular file, is refused. A
// writable file in a folder that takes no new file is written where it stands. False when refused;
// the old file is then untouched.
bool ReplaceFileContents(const std::string& path, std::string_view content);

// Whether ReplaceFileContents would take the existing file at path: the caller may write it
// and owns it. Links are followed.
bool MayReplaceExistingFile(const std::string& path);

// Removes the temporary files of ours beside path that a killed write left, once a minute old;
// every write does, also one that finds nothing to change.
void RemoveOldReplaceLeftovers(const std::string& path);

} // namespace lexfall
