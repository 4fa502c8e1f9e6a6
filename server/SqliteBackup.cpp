// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/SqliteBackup.h"

#include "server/RecordStore.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

namespace lexfall::server {

namespace {

struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Database = std::unique_ptr<sqlite3, Closer>;

Database Open(const std::string& path, int flags) {
    sqlite3* handle = nullptr;
    const int status = sqlite3_open_v2(path.c_str(), &handle, flags, nullptr);
    Database db(handle);
    if (status != SQLITE_OK)
        throw StoreError("cannot open " + path + ": " +
                         (handle ? sqlite3_errmsg(handle) : "out of memory"));
    sqlite3_busy_timeout(handle, 5000);
    return db;
}

void Sync(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const std::string why = std::strerror(errno);
        if (fd >= 0)
            ::close(fd);
        throw StoreError("cannot sync " + path + ": " + why);
    }
    ::close(fd);
}

// The copy is renamed over its target at the end: a target that is the database itself or
// one of its side files, under any name or through any link, would replace the file a
// running server has open.
void RefuseOwnFiles(const std::string& db, const std::string& file) {
    std::error_code ignored;
    const auto target = std::filesystem::weakly_canonical(file, ignored);
    struct stat targetInfo {};
    const bool targetExists = ::stat(file.c_str(), &targetInfo) == 0;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        const std::string own = db + suffix;
        struct stat ownInfo {};
        const bool sameInode = targetExists && ::stat(own.c_str(), &ownInfo) == 0 &&
                               ownInfo.st_dev == targetInfo.st_dev &&
                               ownInfo.st_ino == targetInfo.st_ino;
        if (sameInode ||
            (!target.empty() && target == std::filesystem::weakly_canonical(own, ignored)))
            throw StoreError("cannot back up onto " + file + ": it is the database " + own +
                             " itself; name a file elsewhere");
    }
}

} // namespace

void BackupSqlite(const std::string& db, const std::string& file) {
    struct stat info {};
    if (::stat(db.c_str(), &info) != 0)
        throw StoreError("no database at " + db + " (--db)");
    RefuseOwnFiles(db, file);
    // Made beside the target, so the final rename is atomic.
    const std::string partial = file + ".partial";
    std::filesystem::remove(partial);
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        throw StoreError("cannot create " + partial + ": " + std::strerror(errno));
    ::fchmod(fd, 0600); // whatever the umask: the copy holds the e-mails and the hash key
    ::close(fd);
    try {
        // Read-write without create: a WAL database is read best by a connection that may use
        // its shared memory; nothing is written to it.
        const Database source = Open(db, SQLITE_OPEN_READWRITE);
        {
            const Database target = Open(partial, SQLITE_OPEN_READWRITE);
            sqlite3_backup* backup =
                sqlite3_backup_init(target.get(), "main", source.get(), "main");
            if (!backup)
                throw StoreError(std::string("cannot back up: ") + sqlite3_errmsg(target.get()));
            // All pages in one step: one read snapshot, so writers carry on meanwhile.
            int status;
            while ((status = sqlite3_backup_step(backup, -1)) == SQLITE_BUSY ||
                   status == SQLITE_LOCKED)
                sqlite3_sleep(50);
            sqlite3_backup_finish(backup);
            if (status != SQLITE_DONE)
                throw StoreError(std::string("backup failed: ") + sqlite3_errstr(status));
            // One self-contained file, whatever journal mode the original uses.
            if (sqlite3_exec(target.get(), "PRAGMA journal_mode=DELETE", nullptr, nullptr,
                             nullptr) != SQLITE_OK)
                throw StoreError(std::string("backup failed: ") + sqlite3_errmsg(target.get()));
        }
        Sync(partial);
        std::filesystem::rename(partial, file);
        const std::filesystem::path folder = std::filesystem::absolute(file).parent_path();
        Sync(folder.string());
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(partial, ignored);
        throw;
    }
}

} // namespace lexfall::server
