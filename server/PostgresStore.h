// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "server/ConnectionPool.h"
#include "server/RecordStore.h"

namespace lexfall::server {

// One PostgreSQL database that several servers may share: every decision that a put makes
// is a single statement, so concurrent puts from any number of servers never lose an update.
class PostgresStore final : public RecordStore {
public:
    PostgresStore(const std::string& address, std::size_t connections);
    ~PostgresStore() override;

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
    std::unique_ptr<Connection> Connect() const;
    // Runs work(connection, attempt) on a pooled connection, again on a new one while the
    // database cannot be reached, until the request's deadline.
    template <class Work> auto Retrying(Work work);
    void Migrate(Connection& db);

    std::string address_;
    ConnectionPool<Connection> pool_;
    std::string hashKey_;
};

} // namespace lexfall::server
