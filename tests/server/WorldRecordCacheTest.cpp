// SPDX-License-Identifier: GPL-3.0-or-later
// The world record kept at hand: served without the database until a change made through the
// server forgets it.
#include "server/WorldRecordCache.h"

#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <chrono>

namespace lexfall::server {
namespace {

ServerRecord Record(const std::string& name, std::int32_t total) {
    return ServerRecord{name, 10, 300, 40, total, "2003-03-28"};
}

TEST(WorldRecordCacheTest, KeptUntilAChangeThroughItForgetsIt) {
    testing::ScratchDir folder;
    const auto store = OpenStore((folder.Path() / "records.sqlite").string(), 1);
    for (const char* name : {"Ann", "Bob"})
        ASSERT_TRUE(store->AddPlayer(name, "x@example.org", "hash"));
    WorldRecordCache cache(*store, std::chrono::hours(1));

    EXPECT_EQ(cache.WorldRecord(), std::nullopt);
    ASSERT_EQ(cache.PutIfBetter("Ann", Record("Ann", 100)), PutResult::Stored);
    EXPECT_EQ(cache.WorldRecord(), Record("Ann", 100));

    // A change behind its back (another process on the file) is not seen while kept...
    ASSERT_EQ(store->PutIfBetter("Bob", Record("Bob", 200)), PutResult::Stored);
    EXPECT_EQ(cache.WorldRecord(), Record("Ann", 100));
    // ...nor after a put that stores nothing...
    EXPECT_EQ(cache.PutIfBetter("Ann", Record("Ann", 50)), PutResult::NotBetter);
    EXPECT_EQ(cache.WorldRecord(), Record("Ann", 100));
    // ...but a stored put or a removed player reads it anew.
    ASSERT_EQ(cache.PutIfBetter("Ann", Record("Ann", 150)), PutResult::Stored);
    EXPECT_EQ(cache.WorldRecord(), Record("Bob", 200));
    ASSERT_TRUE(cache.RemovePlayer("Bob"));
    EXPECT_EQ(cache.WorldRecord(), Record("Ann", 150));
}

TEST(WorldRecordCacheTest, ChangesBehindItShowOnceItsLifeIsOver) {
    testing::ScratchDir folder;
    const auto store = OpenStore((folder.Path() / "records.sqlite").string(), 1);
    ASSERT_TRUE(store->AddPlayer("Ann", "x@example.org", "hash"));
    WorldRecordCache cache(*store, std::chrono::milliseconds(0));
    EXPECT_EQ(cache.WorldRecord(), std::nullopt);
    ASSERT_EQ(store->PutIfBetter("Ann", Record("Ann", 100)), PutResult::Stored);
    EXPECT_EQ(cache.WorldRecord(), Record("Ann", 100));
}

} // namespace
} // namespace lexfall::server
