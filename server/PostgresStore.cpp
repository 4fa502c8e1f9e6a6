// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/PostgresStore.h"

#include "records/ScoreRec.h"
#include "server/AccessCode.h"
#include "text/SystemText.h"

#include <libpq-fe.h>
#include <poll.h>

#include "server/RequestDeadline.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <thread>
#include <utility>

namespace lexfall::server {

struct PostgresStore::Connection {
    PGconn* Handle = nullptr;
    // A statement went unanswered: what the session holds is unknown, so it is never reused.
    bool Abandoned = false;
    // The request statements prepared on this connection, by their text.
    std::map<const char*, std::string> Prepared;
    ~Connection() { PQfinish(Handle); }
    // Bad, or ended by the server: an idle connection has nothing to read until the server
    // closes it (a restart sends its last message and a close), so anything readable means
    // the next statement would fail.
    bool Broken() const {
        if (Abandoned || PQstatus(Handle) != CONNECTION_OK)
            return true;
        pollfd waiting{PQsocket(Handle), POLLIN, 0};
        return ::poll(&waiting, 1, 0) != 0;
    }
};

namespace {

// Names, e-mails and dates are bytes in the player's own encoding, which a UTF-8 database
// would refuse as text: they go as bytea, sent in binary.
struct Param {
    std::string Value;
    bool Binary = false;
};

Param Bytes(const std::string& bytes) {
    return Param{bytes, true};
}
Param Number(std::int64_t value) {
    return Param{std::to_string(value), false};
}

class Result {
public:
    explicit Result(PGresult* result) : result_(result) {}
    Result(Result&& other) noexcept : result_(std::exchange(other.result_, nullptr)) {}
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;
    ~Result() { PQclear(result_); }

    bool Ok() const {
        const ExecStatusType status = PQresultStatus(result_);
        return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    }
    int Rows() const { return PQntuples(result_); }
    bool IsNull(int row, int column) const { return PQgetisnull(result_, row, column) == 1; }
    std::string Text(int row, int column) const {
        return std::string(PQgetvalue(result_, row, column),
                           static_cast<std::size_t>(PQgetlength(result_, row, column)));
    }
    std::int32_t Int(int row, int column) const { return std::stoi(Text(row, column)); }
    std::string Bytes(int row, int column) const {
        std::size_t length = 0;
        unsigned char* raw = PQunescapeBytea(
            reinterpret_cast<const unsigned char*>(PQgetvalue(result_, row, column)), &length);
        if (!raw)
            throw StoreError("cannot read a bytea value");
        std::string bytes(reinterpret_cast<const char*>(raw), length);
        PQfreemem(raw);
        return bytes;
    }

private:
    PGresult* result_;
};

// The parameters in the three arrays that libpq takes.
struct ParamArrays {
    explicit ParamArrays(const std::vector<Param>& params) {
        for (const Param& param : params) {
            Values.push_back(param.Value.data());
            Lengths.push_back(static_cast<int>(param.Value.size()));
            Formats.push_back(param.Binary ? 1 : 0);
        }
    }
    int Count() const { return static_cast<int>(Values.size()); }

    std::vector<const char*> Values;
    std::vector<int> Lengths;
    std::vector<int> Formats;
};

Result Checked(PGconn* db, PGresult* raw) {
    Result result(raw);
    if (!result.Ok())
        throw StoreError(std::string("database statement failed: ") + PQerrorMessage(db));
    return result;
}

Result Execute(PGconn* db, const char* sql, const std::vector<Param>& params = {}) {
    const ParamArrays arrays(params);
    return Checked(db, PQexecParams(db, sql, arrays.Count(), nullptr, arrays.Values.data(),
                                    arrays.Lengths.data(), arrays.Formats.data(), 0));
}

using Clock = std::chrono::steady_clock;

// Waits for the answer to what was sent, until the request's deadline: a database that is
// frozen or cut off answers nothing, and TCP alone would wait for minutes.
Result Await(PostgresStore::Connection& db) {
    const auto deadline = RequestDeadline();
    PGresult* last = nullptr;
    for (;;) {
        while (PQisBusy(db.Handle)) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd waiting{PQsocket(db.Handle), POLLIN, 0};
            if (left.count() <= 0 || ::poll(&waiting, 1, static_cast<int>(left.count())) == 0) {
                PQclear(last);
                db.Abandoned = true;
                throw StoreError("the database did not answer in time");
            }
            if (PQconsumeInput(db.Handle) == 0)
                break;
        }
        PGresult* next = PQgetResult(db.Handle);
        if (next == nullptr)
            break;
        PQclear(last);
        last = next;
    }
    if (last == nullptr)
        throw StoreError(std::string("database statement failed: ") + PQerrorMessage(db.Handle));
    return Checked(db.Handle, last);
}

// A statement of the request path: prepared once per connection, so each request skips the
// parsing and planning.
Result RunOnce(PostgresStore::Connection& db, const char* sql, const std::vector<Param>& params) {
    auto [slot, fresh] = db.Prepared.try_emplace(sql, "q" + std::to_string(db.Prepared.size()));
    if (fresh) {
        try {
            if (PQsendPrepare(db.Handle, slot->second.c_str(), sql, static_cast<int>(params.size()),
                              nullptr) == 0)
                throw StoreError(std::string("database statement failed: ") +
                                 PQerrorMessage(db.Handle));
            Await(db);
        } catch (const StoreError&) {
            db.Prepared.erase(slot);
            throw;
        }
    }
    const ParamArrays arrays(params);
    if (PQsendQueryPrepared(db.Handle, slot->second.c_str(), arrays.Count(), arrays.Values.data(),
                            arrays.Lengths.data(), arrays.Formats.data(), 0) == 0)
        throw StoreError(std::string("database statement failed: ") + PQerrorMessage(db.Handle));
    return Await(db);
}

Result Run(PostgresStore::Connection& db, const char* sql, const std::vector<Param>& params) {
    return RunOnce(db, sql, params);
}

// Several statements at once, which only the simple protocol takes.
void ExecuteScript(PGconn* db, const char* sql) {
    Checked(db, PQexec(db, sql));
}

// Rolls back unless committed, so a failed step never leaves the connection inside an
// aborted transaction.
class Transaction {
public:
    explicit Transaction(PGconn* db) : db_(db) { Execute(db, "BEGIN"); }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    ~Transaction() {
        if (!done_)
            PQclear(PQexec(db_, "ROLLBACK"));
    }
    void Commit() {
        Execute(db_, "COMMIT");
        done_ = true;
    }

private:
    PGconn* db_;
    bool done_ = false;
};

ServerRecord ReadRecord(const Result& rows, int row, int first) {
    return ServerRecord{rows.Bytes(row, first),   rows.Int(row, first + 1),
                        rows.Int(row, first + 2), rows.Int(row, first + 3),
                        rows.Int(row, first + 4), rows.Bytes(row, first + 5)};
}

bool SameRecord(const ServerRecord& a, const ServerRecord& b) {
    return a.Name == b.Name && a.CompletedWords == b.CompletedWords && a.UsedTime == b.UsedTime &&
           a.UsedLetters == b.UsedLetters && a.Total == b.Total && a.Date == b.Date;
}

// Any number that no other user of the database picks: it serialises schema changes when
// several servers start at once.
constexpr const char* kMigrationLock = "SELECT pg_advisory_xact_lock(7104563288143)";

constexpr const char* kSchemaV1 = R"(
CREATE TABLE players (
    id BIGSERIAL PRIMARY KEY,
    name BYTEA NOT NULL UNIQUE,
    email BYTEA NOT NULL,
    code_hash BYTEA NOT NULL,
    created TIMESTAMPTZ NOT NULL DEFAULT now());
CREATE SEQUENCE records_put_order;
CREATE TABLE records (
    player_id BIGINT PRIMARY KEY REFERENCES players (id) ON DELETE CASCADE,
    name BYTEA NOT NULL,
    words INTEGER NOT NULL,
    seconds INTEGER NOT NULL,
    letters INTEGER NOT NULL,
    total INTEGER NOT NULL,
    date BYTEA NOT NULL,
    put_order BIGINT NOT NULL);
CREATE INDEX records_best ON records (total DESC, put_order);
)";

} // namespace

PostgresStore::PostgresStore(const std::string& address, std::size_t connections)
    : address_(address), pool_([this] { return Connect(); }, connections) {
    auto db = pool_.Acquire();
    Migrate(*db);
}

PostgresStore::~PostgresStore() = default;

namespace {
constexpr std::chrono::milliseconds kRetryPause{250};
} // namespace

// A restart of the database, a connection it dropped: the work is run again on a new
// connection, after a pause, as long as the request's deadline leaves time. A statement the
// database refused on a sound connection, or left unanswered, is not repeated.
template <class Work> auto PostgresStore::Retrying(Work work) {
    const auto deadline = RequestDeadline();
    for (int attempt = 0;; ++attempt) {
        bool final = false;
        try {
            auto db = pool_.Acquire();
            try {
                return work(*db, attempt);
            } catch (const StoreError&) {
                final = !db->Broken() || db->Abandoned;
                throw;
            }
        } catch (const StoreError&) {
            if (final || Clock::now() + kRetryPause >= deadline)
                throw;
        }
        std::this_thread::sleep_for(kRetryPause);
    }
}

std::unique_ptr<PostgresStore::Connection> PostgresStore::Connect() const {
    // A connection gives up within the request's time (libpq waits two seconds at least).
    // Keepalives find a peer gone without a word (a partition) within 20 s on an idle
    // connection; the statement timeout ends a statement stuck behind a lock on the server's
    // side, before the request's own deadline does it on ours. The address may set any of
    // these itself: it comes later and wins.
    const auto left =
        std::chrono::duration_cast<std::chrono::seconds>(RequestDeadline() - Clock::now());
    const std::string connectTimeout = std::to_string(std::clamp<long>(left.count(), 2, 10));
    const char* keywords[] = {"connect_timeout",  "keepalives",
                              "keepalives_idle",  "keepalives_interval",
                              "keepalives_count", "tcp_user_timeout",
                              "options",          "application_name",
                              "dbname",           nullptr};
    const char* values[] = {connectTimeout.c_str(),
                            "1",
                            "10",
                            "5",
                            "2",
                            "10000",
                            "-c statement_timeout=8000",
                            "lexfall-records",
                            address_.c_str(),
                            nullptr};
    auto connection = std::make_unique<Connection>();
    connection->Handle = PQconnectdbParams(keywords, values, 1);
    if (!connection->Handle)
        throw StoreError("cannot connect to PostgreSQL: out of memory");
    if (PQstatus(connection->Handle) != CONNECTION_OK) {
        std::string message = PQerrorMessage(connection->Handle);
        while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
            message.pop_back();
        throw StoreError("cannot connect to PostgreSQL: " + message);
    }
    // Notices ("relation already exists, skipping") are no news to an operator.
    PQsetNoticeProcessor(
        connection->Handle, [](void*, const char*) {}, nullptr);
    return connection;
}

void PostgresStore::Migrate(Connection& db) {
    Transaction transaction(db.Handle);
    Execute(db.Handle, kMigrationLock);
    Execute(db.Handle,
            "CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT NOT NULL)");
    int version = 0;
    {
        const Result read =
            Execute(db.Handle, "SELECT value FROM meta WHERE key = 'schema_version'");
        if (read.Rows() == 1)
            version = read.Int(0, 0);
    }
    if (version > kSchemaVersion)
        throw StoreError("the database was made by a newer lexfall-records (schema " +
                         std::to_string(version) + ")");
    if (version < 1) {
        ExecuteScript(db.Handle, kSchemaV1);
        Execute(db.Handle, "INSERT INTO meta (key, value) VALUES ('hash_key', $1)",
                {Param{NewHashKey(), false}});
    }
    // Later versions add their steps here, each from the one before.
    Execute(db.Handle,
            "INSERT INTO meta (key, value) VALUES ('schema_version', $1) "
            "ON CONFLICT (key) DO UPDATE SET value = excluded.value",
            {Number(kSchemaVersion)});
    // A role that may read but not write would fail every put later; say so at start.
    const Result rights =
        Execute(db.Handle, "SELECT has_table_privilege('players', 'INSERT,UPDATE,DELETE') AND "
                           "has_table_privilege('records', 'INSERT,UPDATE,DELETE') AND "
                           "has_sequence_privilege('records_put_order', 'USAGE')");
    if (rights.Text(0, 0) != "t")
        throw StoreError("the database role may not write the records tables");
    const Result key = Execute(db.Handle, "SELECT value FROM meta WHERE key = 'hash_key'");
    if (key.Rows() != 1)
        throw StoreError("the database has no hash key");
    hashKey_ = key.Text(0, 0);
    transaction.Commit();
}

bool PostgresStore::AddPlayer(const std::string& name, const std::string& email,
                              const std::string& codeHash) {
    auto db = pool_.Acquire();
    const Result added = Execute(db->Handle,
                                 "INSERT INTO players (name, email, code_hash) VALUES ($1, $2, $3) "
                                 "ON CONFLICT (name) DO NOTHING RETURNING id",
                                 {Bytes(name), Bytes(email), Bytes(codeHash)});
    return added.Rows() == 1;
}

bool PostgresStore::RemovePlayer(const std::string& name) {
    auto db = pool_.Acquire();
    const Result removed =
        Execute(db->Handle, "DELETE FROM players WHERE name = $1 RETURNING id", {Bytes(name)});
    return removed.Rows() == 1;
}

bool PostgresStore::SetCodeHash(const std::string& name, const std::string& codeHash) {
    auto db = pool_.Acquire();
    const Result changed =
        Execute(db->Handle, "UPDATE players SET code_hash = $1 WHERE name = $2 RETURNING id",
                {Bytes(codeHash), Bytes(name)});
    return changed.Rows() == 1;
}

std::vector<PlayerSummary> PostgresStore::ListPlayers() {
    auto db = pool_.Acquire();
    const Result rows =
        Execute(db->Handle, "SELECT p.name, p.email, r.name, r.words, r.seconds, r.letters, "
                            "r.total, r.date FROM players p "
                            "LEFT JOIN records r ON r.player_id = p.id ORDER BY p.name");
    std::vector<PlayerSummary> players;
    for (int row = 0; row < rows.Rows(); ++row) {
        PlayerSummary player{rows.Bytes(row, 0), rows.Bytes(row, 1), std::nullopt};
        if (!rows.IsNull(row, 2))
            player.Record = ReadRecord(rows, row, 2);
        players.push_back(std::move(player));
    }
    return players;
}

bool PostgresStore::RemoveRecord(const std::string& name) {
    auto db = pool_.Acquire();
    const Result removed = Execute(db->Handle,
                                   "DELETE FROM records WHERE player_id = "
                                   "(SELECT id FROM players WHERE name = $1) RETURNING 1",
                                   {Bytes(name)});
    return removed.Rows() == 1;
}

bool PostgresStore::RenamePlayer(const std::string& name, const std::string& newName) {
    auto db = pool_.Acquire();
    Transaction transaction(db->Handle);
    const Result renamed =
        Execute(db->Handle, "UPDATE players SET name = $1 WHERE name = $2 RETURNING id",
                {Bytes(newName), Bytes(name)});
    if (renamed.Rows() != 1)
        return false;
    Execute(db->Handle, "UPDATE records SET name = $1 WHERE player_id = $2",
            {Bytes(std::string(KeepFirstBytes(newName, kMaxNameLength))),
             Param{renamed.Text(0, 0), false}});
    transaction.Commit();
    return true;
}

bool PostgresStore::SetEmail(const std::string& name, const std::string& email) {
    auto db = pool_.Acquire();
    const Result changed =
        Execute(db->Handle, "UPDATE players SET email = $1 WHERE name = $2 RETURNING id",
                {Bytes(email), Bytes(name)});
    return changed.Rows() == 1;
}

std::vector<ServerRecord> PostgresStore::Standings(std::size_t limit) {
    return Retrying([&](Connection& db, int) {
        const Result rows =
            Run(db,
                "SELECT name, words, seconds, letters, total, date FROM records "
                "ORDER BY total DESC, put_order LIMIT $1",
                {Number(static_cast<std::int64_t>(std::min<std::size_t>(limit, INT64_MAX)))});
        std::vector<ServerRecord> records;
        for (int row = 0; row < rows.Rows(); ++row)
            records.push_back(ReadRecord(rows, row, 0));
        return records;
    });
}

std::optional<PlayerEntry> PostgresStore::FindPlayer(const std::string& name) {
    return Retrying([&](Connection& db, int) -> std::optional<PlayerEntry> {
        const Result found =
            Run(db,
                "SELECT p.email, p.code_hash, r.name, r.words, r.seconds, r.letters, "
                "r.total, r.date FROM players p "
                "LEFT JOIN records r ON r.player_id = p.id WHERE p.name = $1",
                {Bytes(name)});
        if (found.Rows() == 0)
            return std::nullopt;
        PlayerEntry player{found.Bytes(0, 0), found.Bytes(0, 1), std::nullopt};
        if (!found.IsNull(0, 2))
            player.Record = ReadRecord(found, 0, 2);
        return player;
    });
}

PutResult PostgresStore::PutIfBetter(const std::string& name, const ServerRecord& rec) {
    // The database stores the put only while its client may still hear of it: one that reaches
    // a database thawed after the reply went out (as "7") stores nothing. Wall-clock time on
    // both sides, so the hosts' clocks must agree to within a few seconds.
    const double until = std::chrono::duration<double>(
                             (std::chrono::system_clock::now() + (RequestDeadline() - Clock::now()))
                                 .time_since_epoch())
                             .count();
    char untilText[32];
    std::snprintf(untilText, sizeof untilText, "%.3f", until);
    return Retrying([&](Connection& db, int attempt) {
        // The upsert compares against the newest row version even under concurrent puts from
        // other servers, so a better record is never overwritten by a worse one.
        const Result stored = Run(
            db,
            "INSERT INTO records (player_id, name, words, seconds, letters, total, date, "
            "put_order) "
            "SELECT id, $1, $2, $3, $4, $5, $6, nextval('records_put_order') FROM players "
            "WHERE name = $7 AND clock_timestamp() < to_timestamp($8::float8) "
            "ON CONFLICT (player_id) DO UPDATE SET name = excluded.name, words = excluded.words, "
            "seconds = excluded.seconds, letters = excluded.letters, total = excluded.total, "
            "date = excluded.date, put_order = excluded.put_order "
            "WHERE records.total < excluded.total RETURNING 1",
            {Bytes(rec.Name), Number(rec.CompletedWords), Number(rec.UsedTime),
             Number(rec.UsedLetters), Number(rec.Total), Bytes(rec.Date), Bytes(name),
             Param{untilText, false}});
        if (stored.Rows() == 1)
            return PutResult::Stored;
        const Result player = Run(db,
                                  "SELECT r.name, r.words, r.seconds, r.letters, r.total, r.date, "
                                  "clock_timestamp() >= to_timestamp($2::float8) FROM players p "
                                  "LEFT JOIN records r ON r.player_id = p.id WHERE p.name = $1",
                                  {Bytes(name), Param{untilText, false}});
        if (player.Rows() == 1 && player.Text(0, 6) == "t")
            throw StoreError("the database answered after the request's deadline");
        if (player.Rows() == 0)
            return PutResult::NoPlayer;
        // Run again after a lost connection: the first try may have stored it already.
        if (attempt > 0 && !player.IsNull(0, 0) && SameRecord(ReadRecord(player, 0, 0), rec))
            return PutResult::Stored;
        return PutResult::NotBetter;
    });
}

std::optional<ServerRecord> PostgresStore::WorldRecord() {
    return Retrying([&](Connection& db, int) -> std::optional<ServerRecord> {
        const Result best = Run(db,
                                "SELECT name, words, seconds, letters, total, date FROM records "
                                "ORDER BY total DESC, put_order LIMIT 1",
                                {});
        if (best.Rows() == 0)
            return std::nullopt;
        return ReadRecord(best, 0, 0);
    });
}

} // namespace lexfall::server
