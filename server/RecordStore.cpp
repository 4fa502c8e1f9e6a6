// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/RecordStore.h"

#include "server/PostgresStore.h"
#include "server/SqliteStore.h"

namespace lexfall::server {

bool IsPostgresAddress(const std::string& db) {
    return db.starts_with("postgresql://") || db.starts_with("postgres://");
}

std::unique_ptr<RecordStore> OpenStore(const std::string& db, std::size_t connections,
                                       Create create) {
    if (IsPostgresAddress(db))
        return std::make_unique<PostgresStore>(db, connections);
    return std::make_unique<SqliteStore>(db, connections, create);
}

} // namespace lexfall::server
