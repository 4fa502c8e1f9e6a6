// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A store that keeps the world record at hand: Check WR, the most frequent request, then
// costs no database read. A stored put, a removed player or record and a renamed player
// forget it at once; a
// change made by another process (an operator command on the same file) shows within Life.
#include "server/RecordStore.h"

#include <chrono>
#include <cstdint>
#include <mutex>

namespace lexfall::server {

class WorldRecordCache final : public RecordStore {
public:
    explicit WorldRecordCache(RecordStore& store,
                              std::chrono::milliseconds life = std::chrono::seconds(1));

    std::string HashKey() override { return store_.HashKey(); }
    bool AddPlayer(const std::string& name, const std::string& email,
                   const std::string& codeHash) override {
        return store_.AddPlayer(name, email, codeHash);
    }
    bool RemovePlayer(const std::string& name) override;
    bool SetCodeHash(const std::string& name, const std::string& codeHash) override {
        return store_.SetCodeHash(name, codeHash);
    }
    std::vector<PlayerSummary> ListPlayers() override { return store_.ListPlayers(); }
    bool RemoveRecord(const std::string& name) override;
    bool RenamePlayer(const std::string& name, const std::string& newName) override;
    bool SetEmail(const std::string& name, const std::string& email) override {
        return store_.SetEmail(name, email);
    }
    std::vector<ServerRecord> Standings(std::size_t limit) override {
        return store_.Standings(limit);
    }
    std::optional<PlayerEntry> FindPlayer(const std::string& name) override {
        return store_.FindPlayer(name);
    }
    PutResult PutIfBetter(const std::string& name, const ServerRecord& rec) override;
    std::optional<ServerRecord> WorldRecord() override;

private:
    void Forget();

    RecordStore& store_;
    std::chrono::milliseconds life_;
    std::mutex mutex_;
    bool known_ = false;
    std::optional<ServerRecord> record_;
    std::chrono::steady_clock::time_point expires_;
    // Counts the changes, so a read that raced a put never keeps what it read.
    std::uint64_t generation_ = 0;
};

} // namespace lexfall::server
