// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A fresh, empty database of either engine for one test. PostgreSQL comes from the throwaway
// cluster that scripts/test.sh starts; its address is in LEXFALL_TEST_PG.
#include "support/RecordsServerProcess.h"

#include <libpq-fe.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

namespace lexfall::testing {

enum class Engine { Sqlite, Postgres };

inline std::string EngineName(const ::testing::TestParamInfo<Engine>& info) {
    return info.param == Engine::Sqlite ? "Sqlite" : "Postgres";
}

// True when the engine can be tested here. Without the cluster a local run skips the
// PostgreSQL cases, but CI fails them: there they must run.
inline bool EngineAvailable(Engine engine, std::string& why) {
    if (engine == Engine::Sqlite || std::getenv("LEXFALL_TEST_PG"))
        return true;
    why = "LEXFALL_TEST_PG is not set: run the tests through scripts/test.sh or "
          "scripts/with-postgres.sh";
    return false;
}

#define LEXFALL_REQUIRE_ENGINE(engine)                                                             \
    do {                                                                                           \
        std::string why;                                                                           \
        if (!::lexfall::testing::EngineAvailable(engine, why)) {                                   \
            if (std::getenv("CI"))                                                                 \
                FAIL() << why;                                                                     \
            GTEST_SKIP() << why;                                                                   \
        }                                                                                          \
    } while (false)

// LEXFALL_TEST_PG has the form postgresql:///postgres?host=SOCKET_FOLDER&port=P&user=U.
class TestDatabase {
public:
    explicit TestDatabase(Engine engine) {
        if (engine == Engine::Sqlite) {
            folder_ = std::make_unique<ScratchDir>();
            address_ = (folder_->Path() / "records.sqlite").string();
            return;
        }
        const char* cluster = std::getenv("LEXFALL_TEST_PG");
        if (!cluster || !*cluster)
            throw std::runtime_error("LEXFALL_TEST_PG is not set: run the tests through "
                                     "scripts/test.sh or scripts/with-postgres.sh");
        admin_ = cluster;
        static std::atomic<int> counter = 0;
        name_ = "lexfall_test_" + std::to_string(getpid()) + "_" + std::to_string(++counter);
        Admin("CREATE DATABASE " + name_);
        address_ = "postgresql:///" + name_ + admin_.substr(admin_.find('?'));
    }
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;
    ~TestDatabase() {
        if (!name_.empty()) {
            try {
                Admin("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
            } catch (const std::exception&) {
            }
        }
    }

    const std::string& Address() const { return address_; }

private:
    void Admin(const std::string& sql) {
        PGconn* db = PQconnectdb(admin_.c_str());
        const bool connected = PQstatus(db) == CONNECTION_OK;
        PGresult* result = connected ? PQexec(db, sql.c_str()) : nullptr;
        const bool ok = result && PQresultStatus(result) == PGRES_COMMAND_OK;
        const std::string error = PQerrorMessage(db);
        PQclear(result);
        PQfinish(db);
        if (!ok)
            throw std::runtime_error("PostgreSQL: " + error);
    }

    std::unique_ptr<ScratchDir> folder_;
    std::string admin_;
    std::string name_;
    std::string address_;
};

} // namespace lexfall::testing
