// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where players and their best records live. Two engines share this interface: SQLite for one
// machine, PostgreSQL for several servers on one database. Every write is one transaction.
#include "server/RecordText.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace lexfall::server {

// The database failed or is unreachable; the request in flight fails, nothing else.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A player as a request sees it: what identifies the player, and the best record if any.
struct PlayerEntry {
    std::string Email;
    std::string CodeHash;
    std::optional<ServerRecord> Record;
};

struct PlayerSummary {
    std::string Name;
    std::string Email;
    std::optional<ServerRecord> Record;
};

enum class PutResult { Stored, NotBetter, NoPlayer };

class RecordStore {
public:
    virtual ~RecordStore() = default;

    // The key of the code hashes, made with the database.
    virtual std::string HashKey() = 0;

    // False when the name is taken.
    virtual bool AddPlayer(const std::string& name, const std::string& email,
                           const std::string& codeHash) = 0;
    // The player and the player's record; false when there is no such player.
    virtual bool RemovePlayer(const std::string& name) = 0;
    virtual bool SetCodeHash(const std::string& name, const std::string& codeHash) = 0;
    virtual std::vector<PlayerSummary> ListPlayers() = 0;
    // The player's record only, the player stays; false when there was none.
    virtual bool RemoveRecord(const std::string& name) = 0;
    // The player's record follows under the new name (its first 20 bytes); false when there is
    // no such player. A taken name fails with StoreError.
    virtual bool RenamePlayer(const std::string& name, const std::string& newName) = 0;
    virtual bool SetEmail(const std::string& name, const std::string& email) = 0;
    // At most limit best records, highest total first, the earlier put first on a tie.
    virtual std::vector<ServerRecord> Standings(std::size_t limit) = 0;
    // One lookup for a whole Get MyRec.
    virtual std::optional<PlayerEntry> FindPlayer(const std::string& name) = 0;

    // Keeps rec as the player's record only when its total beats the stored one.
    virtual PutResult PutIfBetter(const std::string& name, const ServerRecord& rec) = 0;
    // The highest total of all players; the earliest put wins a tie.
    virtual std::optional<ServerRecord> WorldRecord() = 0;
};

// What opening a missing SQLite database does: fail with a StoreError, make the file (0600,
// whatever the umask), or make its missing folders too (0700).
enum class Create { No, File, FileAndFolder };

// "postgresql://..." or "postgres://..." opens PostgreSQL, anything else is a SQLite file. The
// schema is created or brought up to date here, and the database is checked to be writable.
// connections bounds the connections held at once.
std::unique_ptr<RecordStore> OpenStore(const std::string& db, std::size_t connections,
                                       Create create = Create::File);

bool IsPostgresAddress(const std::string& db);

// The schema version this program writes.
constexpr int kSchemaVersion = 1;

} // namespace lexfall::server
