// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace lexfall::server {

// A consistent copy of the SQLite database at db in file, taken while servers keep writing:
// SQLite's online backup reads one snapshot, the changes still in the WAL file included.
// The copy is a single file, made 0600, and replaces file only once complete. Throws
// StoreError with a one-line reason; a missing db is an error, never created.
void BackupSqlite(const std::string& db, const std::string& file);

} // namespace lexfall::server
