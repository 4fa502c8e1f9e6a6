// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/WorldRecordCache.h"

namespace lexfall::server {

WorldRecordCache::WorldRecordCache(RecordStore& store, std::chrono::milliseconds life)
    : store_(store), life_(life) {}

void WorldRecordCache::Forget() {
    std::lock_guard lock(mutex_);
    known_ = false;
    ++generation_;
}

bool WorldRecordCache::RemovePlayer(const std::string& name) {
    const bool removed = store_.RemovePlayer(name);
    Forget();
    return removed;
}

bool WorldRecordCache::RemoveRecord(const std::string& name) {
    const bool removed = store_.RemoveRecord(name);
    Forget();
    return removed;
}

// The world record carries its holder's name.
bool WorldRecordCache::RenamePlayer(const std::string& name, const std::string& newName) {
    const bool renamed = store_.RenamePlayer(name, newName);
    Forget();
    return renamed;
}

PutResult WorldRecordCache::PutIfBetter(const std::string& name, const ServerRecord& rec) {
    const PutResult result = store_.PutIfBetter(name, rec);
    if (result == PutResult::Stored)
        Forget();
    return result;
}

std::optional<ServerRecord> WorldRecordCache::WorldRecord() {
    std::uint64_t generation;
    {
        std::lock_guard lock(mutex_);
        if (known_ && std::chrono::steady_clock::now() < expires_)
            return record_;
        generation = generation_;
    }
    std::optional<ServerRecord> read = store_.WorldRecord();
    std::lock_guard lock(mutex_);
    if (generation == generation_) {
        record_ = read;
        known_ = true;
        expires_ = std::chrono::steady_clock::now() + life_;
    }
    return read;
}

} // namespace lexfall::server
