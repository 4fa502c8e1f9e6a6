// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "server/ConnectionPool.h"
#include "server/RecordStore.h"

#include <sqlite3.h>

#include <condition_variable>
#include <mutex>
#include <vector>

namespace lexfall::server {

// One database file in WAL mode, so readers never wait for the writer; every commit is synced
// before the reply, so an acknowledged record survives a crash.
class SqliteStore final : public RecordStore {
public:
    SqliteStore(const std::string& path, std::size_t connections, Create create = Create::File);
    ~SqliteStore() override;

    std::string HashKey() override { return hashKey_; }
    bool AddPlayer(const std::string& name, const std::string& email,
                   const std::string& codeHash) override;
    bool RemovePlayer(const std::string& name) override;
    bool SetCodeHash(const std::string& name, const std::string& codeHash) override;
    std::vector<PlayerSummary> ListPlayers() override;
    bool RemoveRecord(const std::string& name) override;
    bool RenamePlayer(const std::string& name, const std::string& newName) override;
    bool SetEmail(const std::string& name, const std::string& email) override;
    std::vector<ServerRecord> Standings(std::size_t limit) override;
    std::optional<PlayerEntry> FindPlayer(const std::string& name) override;
    PutResult PutIfBetter(const std::string& name, const ServerRecord& rec) override;
    std::optional<ServerRecord> WorldRecord() override;

    struct Connection;

private:
    struct PendingPut {
        const std::string* Player;
        const ServerRecord* Record;
        PutResult Result = PutResult::NotBetter;
        std::string Error;
        bool Done = false;
    };
    void CommitBatch(const std::vector<PendingPut*>& batch);
    static void WriteBatch(sqlite3* handle, const std::vector<PendingPut*>& batch);

    std::unique_ptr<Connection> Connect() const;
    void Migrate(Connection& db);

    std::string path_;
    ConnectionPool<Connection> pool_;
    // SQLite has one writer at a time, and its busy handler polls with growing sleeps, which
    // starves some writers under a stream of puts; queueing writers here keeps it fair.
    std::mutex writeMutex_;
    // Group commit: puts that arrive while a commit runs wait for it, then go together in
    // the next one, so a burst of puts costs one disk sync instead of one each.
    std::mutex batchMutex_;
    std::condition_variable batchDone_;
    std::vector<PendingPut*> batch_;
    bool committing_ = false;
    std::string hashKey_;
};

} // namespace lexfall::server
