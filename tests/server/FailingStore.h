// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A database that fails every call, as a lost connection does.
#include "server/RecordStore.h"

namespace lexfall::testing {

class FailingStore final : public server::RecordStore {
public:
    std::string HashKey() override { return std::string(64, '0'); }
    bool AddPlayer(const std::string&, const std::string&, const std::string&) override {
        return Fail<bool>();
    }
    bool RemovePlayer(const std::string&) override { return Fail<bool>(); }
    bool SetCodeHash(const std::string&, const std::string&) override { return Fail<bool>(); }
    std::vector<server::PlayerSummary> ListPlayers() override {
        return Fail<std::vector<server::PlayerSummary>>();
    }
    bool RemoveRecord(const std::string&) override { return Fail<bool>(); }
    bool RenamePlayer(const std::string&, const std::string&) override { return Fail<bool>(); }
    bool SetEmail(const std::string&, const std::string&) override { return Fail<bool>(); }
    std::vector<server::ServerRecord> Standings(std::size_t) override {
        return Fail<std::vector<server::ServerRecord>>();
    }
    std::optional<server::PlayerEntry> FindPlayer(const std::string&) override {
        return Fail<std::optional<server::PlayerEntry>>();
    }
    server::PutResult PutIfBetter(const std::string&, const server::ServerRecord&) override {
        return Fail<server::PutResult>();
    }
    std::optional<server::ServerRecord> WorldRecord() override {
        return Fail<std::optional<server::ServerRecord>>();
    }

private:
    template <class T> T Fail() { throw server::StoreError("connection lost"); }
};

} // namespace lexfall::testing
