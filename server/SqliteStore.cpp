// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/SqliteStore.h"

#include "records/ScoreRec.h"
#include "server/AccessCode.h"
#include "text/SystemText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <vector>

namespace lexfall::server {

struct SqliteStore::Connection {
    sqlite3* Handle = nullptr;
    ~Connection() { sqlite3_close_v2(Handle); }
    bool Broken() const { return false; }
};

namespace {

// A failure with SQLite's own code, for the few that call for more than a refusal.
class SqliteFailure : public StoreError {
public:
    SqliteFailure(const std::string& what, int code) : StoreError(what), Code(code) {}
    int Code;
};

[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
    throw SqliteFailure(what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"),
                        db ? sqlite3_errcode(db) : SQLITE_NOMEM);
}

class Statement {
public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK)
            Fail(db, "cannot prepare a statement");
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() { sqlite3_finalize(statement_); }

    // Texts are bound as blobs: names come in the player's own single-byte encoding.
    Statement& Bind(int index, const std::string& bytes) {
        Check(sqlite3_bind_blob(statement_, index, bytes.data(), static_cast<int>(bytes.size()),
                                SQLITE_TRANSIENT));
        return *this;
    }
    Statement& Bind(int index, std::int64_t value) {
        Check(sqlite3_bind_int64(statement_, index, value));
        return *this;
    }

    // Ready to run again with new values.
    Statement& Reset() {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
        return *this;
    }

    // True while a row is there to read.
    bool Step() {
        const int status = sqlite3_step(statement_);
        if (status == SQLITE_ROW)
            return true;
        if (status != SQLITE_DONE)
            Fail(db_, "database statement failed");
        return false;
    }

    std::string Bytes(int column) const {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(statement_, column));
        return std::string(data ? data : "",
                           static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
    }
    std::int32_t Int(int column) const { return sqlite3_column_int(statement_, column); }
    bool IsNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }

private:
    void Check(int status) {
        if (status != SQLITE_OK)
            Fail(db_, "cannot bind a value");
    }

    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

void Execute(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail(db, "database statement failed");
}

// BEGIN IMMEDIATE takes the write lock at once, so two writers never deadlock on an upgrade;
// the transaction rolls back unless committed.
class WriteTransaction {
public:
    explicit WriteTransaction(sqlite3* db) : db_(db) { Execute(db, "BEGIN IMMEDIATE"); }
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;
    ~WriteTransaction() {
        if (!done_)
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    void Commit() {
        Execute(db_, "COMMIT");
        done_ = true;
    }

private:
    sqlite3* db_;
    bool done_ = false;
};

ServerRecord ReadRecord(const Statement& row, int first) {
    return ServerRecord{row.Bytes(first),   row.Int(first + 1), row.Int(first + 2),
                        row.Int(first + 3), row.Int(first + 4), row.Bytes(first + 5)};
}

constexpr const char* kSchemaV1 = R"(
CREATE TABLE players (
    id INTEGER PRIMARY KEY,
    name BLOB NOT NULL UNIQUE,
    email BLOB NOT NULL,
    code_hash BLOB NOT NULL,
    created TEXT NOT NULL DEFAULT (strftime('%Y-%m-%dT%H:%M:%SZ', 'now')));
CREATE TABLE records (
    player_id INTEGER PRIMARY KEY REFERENCES players (id) ON DELETE CASCADE,
    name BLOB NOT NULL,
    words INTEGER NOT NULL,
    seconds INTEGER NOT NULL,
    letters INTEGER NOT NULL,
    total INTEGER NOT NULL,
    date BLOB NOT NULL,
    put_order INTEGER NOT NULL);
CREATE INDEX records_best ON records (total DESC, put_order);
)";

// The database holds e-mail addresses and the hash key: a missing file is made 0600, and a
// missing folder 0700, whatever the umask. SQLite gives its -wal and -shm files the mode of
// the database file.
const std::string& Prepare(const std::string& path, Create create) {
    if (path.empty() || path == ":memory:" || path.starts_with("file:"))
        return path;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0)
        return path;
    if (create == Create::No)
        throw StoreError("no database at " + path + " (--db)");
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (create == Create::FileAndFolder && !folder.empty() && ::stat(folder.c_str(), &info) != 0) {
        std::vector<std::filesystem::path> missing;
        for (auto up = folder; !up.empty() && ::stat(up.c_str(), &info) != 0; up = up.parent_path())
            missing.push_back(up);
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error)
            throw StoreError("cannot make the folder " + folder.string() + ": " + error.message());
        for (const auto& made : missing)
            ::chmod(made.c_str(), 0700);
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST)
        throw StoreError("cannot open " + path + ": " + std::strerror(errno));
    if (fd >= 0) {
        ::fchmod(fd, 0600);
        ::close(fd);
    }
    return path;
}

} // namespace

SqliteStore::SqliteStore(const std::string& path, std::size_t connections, Create create)
    : path_(Prepare(path, create)), pool_([this] { return Connect(); }, connections) {
    auto db = pool_.Acquire();
    Migrate(*db);
}

SqliteStore::~SqliteStore() = default;

std::unique_ptr<SqliteStore::Connection> SqliteStore::Connect() const {
    auto connection = std::make_unique<Connection>();
    const int status =
        sqlite3_open_v2(path_.c_str(), &connection->Handle,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (status != SQLITE_OK)
        Fail(connection->Handle, "cannot open " + path_);
    sqlite3* db = connection->Handle;
    // SQLite quietly opens a file it cannot write read-only; a server must say so at start.
    if (sqlite3_db_readonly(db, "main") == 1)
        throw StoreError(path_ + " is not writable");
    sqlite3_busy_timeout(db, 5000);
    Statement journal(db, "PRAGMA journal_mode=WAL");
    if (!journal.Step() || journal.Bytes(0) != "wal")
        throw StoreError("cannot switch " + path_ + " to WAL mode");
    Execute(db, "PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON");
    return connection;
}

void SqliteStore::Migrate(Connection& db) {
    WriteTransaction transaction(db.Handle);
    Execute(db.Handle,
            "CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT NOT NULL)");
    int version = 0;
    {
        Statement read(db.Handle, "SELECT value FROM meta WHERE key = 'schema_version'");
        if (read.Step())
            version = std::stoi(read.Bytes(0));
    }
    if (version > kSchemaVersion)
        throw StoreError("the database was made by a newer lexfall-records (schema " +
                         std::to_string(version) + ")");
    if (version < 1) {
        Execute(db.Handle, kSchemaV1);
        Statement key(db.Handle, "INSERT INTO meta (key, value) VALUES ('hash_key', ?)");
        key.Bind(1, NewHashKey()).Step();
    }
    // Later versions add their steps here, each from the one before.
    Statement mark(db.Handle, "INSERT INTO meta (key, value) VALUES ('schema_version', ?) "
                              "ON CONFLICT (key) DO UPDATE SET value = excluded.value");
    mark.Bind(1, std::to_string(kSchemaVersion)).Step();
    Statement key(db.Handle, "SELECT value FROM meta WHERE key = 'hash_key'");
    if (!key.Step())
        throw StoreError("the database has no hash key");
    hashKey_ = key.Bytes(0);
    transaction.Commit();
}

bool SqliteStore::AddPlayer(const std::string& name, const std::string& email,
                            const std::string& codeHash) {
    auto db = pool_.Acquire();
    std::lock_guard writing(writeMutex_);
    WriteTransaction transaction(db->Handle);
    Statement insert(db->Handle, "INSERT INTO players (name, email, code_hash) VALUES (?, ?, ?) "
                                 "ON CONFLICT (name) DO NOTHING");
    insert.Bind(1, name).Bind(2, email).Bind(3, codeHash).Step();
    const bool added = sqlite3_changes(db->Handle) == 1;
    transaction.Commit();
    return added;
}

bool SqliteStore::RemovePlayer(const std::string& name) {
    auto db = pool_.Acquire();
    std::lock_guard writing(writeMutex_);
    WriteTransaction transaction(db->Handle);
    Statement remove(db->Handle, "DELETE FROM players WHERE name = ?");
    remove.Bind(1, name).Step();
    const bool removed = sqlite3_changes(db->Handle) == 1;
    transaction.Commit();
    return removed;
}

bool SqliteStore::SetCodeHash(const std::string& name, const std::string& codeHash) {
    auto db = pool_.Acquire();
    std::lock_guard writing(writeMutex_);
    WriteTransaction transaction(db->Handle);
    Statement update(db->Handle, "UPDATE players SET code_hash = ? WHERE name = ?");
    update.Bind(1, codeHash).Bind(2, name).Step();
    const bool changed = sqlite3_changes(db->Handle) == 1;
    transaction.Commit();
    return changed;
}

std::vector<PlayerSummary> SqliteStore::ListPlayers() {
    auto db = pool_.Acquire();
    Statement list(db->Handle,
                   "SELECT p.name, p.email, r.name, r.words, r.seconds, r.letters, r.total, "
                   "r.date FROM players p LEFT JOIN records r ON r.player_id = p.id "
                   "ORDER BY p.name");
    std::vector<PlayerSummary> players;
    while (list.Step()) {
        PlayerSummary player{list.Bytes(0), list.Bytes(1), std::nullopt};
        if (!list.IsNull(2))
            player.Record = ReadRecord(list, 2);
        players.push_back(std::move(player));
    }
    return players;
}

bool SqliteStore::RemoveRecord(const std::string& name) {
    auto db = pool_.Acquire();
    std::lock_guard writing(writeMutex_);
    WriteTransaction transaction(db->Handle);
    Statement remove(db->Handle, "DELETE FROM records WHERE player_id = "
                                 "(SELECT id FROM players WHERE name = ?)");
    remove.Bind(1, name).Step();
    const bool removed = sqlite3_changes(db->Handle) == 1;
    transaction.Commit();
    return removed;
}

bool SqliteStore::RenamePlayer(const std::string& name, const std::string& newName) {
    auto db = pool_.Acquire();
    std::lock_guard writing(writeMutex_);
    WriteTransaction transaction(db->Handle);
    Statement rename(db->Handle, "UPDATE players SET name = ? WHERE name = ?");
    rename.Bind(1, newName).Bind(2, name).Step();
    if (sqlite3_changes(db->Handle) != 1)
        return false;
    Statement record(db->Handle, "UPDATE records SET name = ? WHERE player_id = "
                                 "(SELECT id FROM players WHERE name = ?)");
    record.Bind(1, std::string(KeepFirstBytes(newName, kMaxNameLength))).Bind(2, newName).Step();
    transaction.Commit();
    return true;
}

bool SqliteStore::SetEmail(const std::string& name, const std::string& email) {
    auto db = pool_.Acquire();
    std::lock_guard writing(writeMutex_);
    WriteTransaction transaction(db->Handle);
    Statement update(db->Handle, "UPDATE players SET email = ? WHERE name = ?");
    update.Bind(1, email).Bind(2, name).Step();
    const bool changed = sqlite3_changes(db->Handle) == 1;
    transaction.Commit();
    return changed;
}

std::vector<ServerRecord> SqliteStore::Standings(std::size_t limit) {
    auto db = pool_.Acquire();
    Statement best(db->Handle, "SELECT name, words, seconds, letters, total, date FROM records "
                               "ORDER BY total DESC, put_order LIMIT ?");
    best.Bind(1, static_cast<std::int64_t>(std::min<std::size_t>(limit, INT64_MAX)));
    std::vector<ServerRecord> records;
    while (best.Step())
        records.push_back(ReadRecord(best, 0));
    return records;
}

std::optional<PlayerEntry> SqliteStore::FindPlayer(const std::string& name) {
    auto db = pool_.Acquire();
    Statement find(db->Handle, "SELECT p.email, p.code_hash, r.name, r.words, r.seconds, "
                               "r.letters, r.total, r.date FROM players p "
                               "LEFT JOIN records r ON r.player_id = p.id WHERE p.name = ?");
    find.Bind(1, name);
    if (!find.Step())
        return std::nullopt;
    PlayerEntry player{find.Bytes(0), find.Bytes(1), std::nullopt};
    if (!find.IsNull(2))
        player.Record = ReadRecord(find, 2);
    return player;
}

PutResult SqliteStore::PutIfBetter(const std::string& name, const ServerRecord& rec) {
    PendingPut mine{&name, &rec, PutResult::NotBetter, {}, false};
    std::unique_lock lock(batchMutex_);
    batch_.push_back(&mine);
    while (!mine.Done) {
        if (committing_) {
            batchDone_.wait(lock);
            continue;
        }
        // This thread commits every put waiting now, its own among them, with one sync.
        committing_ = true;
        std::vector<PendingPut*> batch;
        batch.swap(batch_);
        lock.unlock();
        std::string error;
        try {
            CommitBatch(batch);
        } catch (const std::exception& failure) {
            error = failure.what();
        }
        lock.lock();
        for (PendingPut* put : batch) {
            put->Error = error;
            put->Done = true;
        }
        committing_ = false;
        batchDone_.notify_all();
    }
    if (!mine.Error.empty())
        throw StoreError(mine.Error);
    return mine.Result;
}

void SqliteStore::CommitBatch(const std::vector<PendingPut*>& batch) {
    auto db = pool_.Acquire();
    std::lock_guard writing(writeMutex_);
    try {
        WriteBatch(db->Handle, batch);
    } catch (const SqliteFailure& failure) {
        // A full disk: the write-ahead log cannot grow, and would not shrink until it reached
        // its checkpoint size. Copied back and cut to nothing, it lets the next put through as
        // soon as a few pages are free.
        if (failure.Code == SQLITE_FULL)
            sqlite3_exec(db->Handle, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
        throw;
    }
}

void SqliteStore::WriteBatch(sqlite3* handle, const std::vector<PendingPut*>& batch) {
    WriteTransaction transaction(handle);
    // One statement decides and writes, so nothing slips between comparison and write; the
    // order number is taken under the same write lock. Puts later in the batch see the
    // earlier ones, exactly as if each had been committed alone.
    Statement put(handle,
                  "INSERT INTO records (player_id, name, words, seconds, letters, total, date, "
                  "put_order) SELECT id, ?, ?, ?, ?, ?, ?, "
                  "(SELECT COALESCE(MAX(put_order), 0) + 1 FROM records) "
                  "FROM players WHERE name = ? "
                  "ON CONFLICT (player_id) DO UPDATE SET name = excluded.name, "
                  "words = excluded.words, seconds = excluded.seconds, "
                  "letters = excluded.letters, total = excluded.total, date = excluded.date, "
                  "put_order = excluded.put_order WHERE records.total < excluded.total");
    Statement player(handle, "SELECT 1 FROM players WHERE name = ?");
    for (PendingPut* pending : batch) {
        const ServerRecord& rec = *pending->Record;
        put.Reset()
            .Bind(1, rec.Name)
            .Bind(2, rec.CompletedWords)
            .Bind(3, rec.UsedTime)
            .Bind(4, rec.UsedLetters)
            .Bind(5, rec.Total)
            .Bind(6, rec.Date)
            .Bind(7, *pending->Player)
            .Step();
        pending->Result = PutResult::Stored;
        if (sqlite3_changes(handle) == 0) {
            player.Reset().Bind(1, *pending->Player);
            pending->Result = player.Step() ? PutResult::NotBetter : PutResult::NoPlayer;
        }
    }
    transaction.Commit();
}

std::optional<ServerRecord> SqliteStore::WorldRecord() {
    auto db = pool_.Acquire();
    Statement best(db->Handle, "SELECT name, words, seconds, letters, total, date FROM records "
                               "ORDER BY total DESC, put_order LIMIT 1");
    if (!best.Step())
        return std::nullopt;
    return ReadRecord(best, 0);
}

} // namespace lexfall::server
