#pragma once
#include <string>
#include <string_view>

namespace lexfall {

// Replaces the whole contents of the file at path, or creates it. The text goes to a new file
// in the same folder, is flushed to the disk, and is renamed over the old one, so the file is
// always either the old text or the new one: a full disk or a crash never leaves a mix. A
// symbolic link keeps pointing where it pointed: the file it leads to is replaced, and an
// existing file keeps its permissions. False when refused; the old file is then untouched.
bool ReplaceFileContents(const std::string& path, std::string_view content);

} // namespace lexfall
