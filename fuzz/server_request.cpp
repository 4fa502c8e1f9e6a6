// SPDX-License-Identifier: GPL-3.0-or-later
// The records server's request handling over any query: the query is read, the record text
// validated, and the three exchanges answered over an in-memory store that may fail at any
// call. Every reply is one of the documented codes or a valid record text, and a store only
// changes on "0".
#include "FuzzSupport.h"
#include "records/ScoreRec.h"
#include "server/AccessCode.h"
#include "server/Query.h"
#include "server/RecordRules.h"
#include "server/RecordService.h"
#include "server/RecordStore.h"
#include "server/RecordText.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <map>
#include <string>

namespace {

using namespace lexfall::server;

const std::string kHashKey(64, 'a');

// Players in memory; one call may fail with StoreError, as the input says.
class MemoryStore final : public RecordStore {
public:
    // failAt: the call that fails, counted from 1; most inputs name none.
    explicit MemoryStore(int failAt) : failAt_(failAt) {}

    std::map<std::string, PlayerEntry> players;

    std::string HashKey() override { return MayFail(), kHashKey; }
    bool AddPlayer(const std::string&, const std::string&, const std::string&) override {
        return false;
    }
    bool RemovePlayer(const std::string&) override { return false; }
    bool SetCodeHash(const std::string&, const std::string&) override { return false; }
    std::vector<PlayerSummary> ListPlayers() override { return {}; }
    bool RemoveRecord(const std::string&) override { return false; }
    bool RenamePlayer(const std::string&, const std::string&) override { return false; }
    bool SetEmail(const std::string&, const std::string&) override { return false; }
    std::vector<ServerRecord> Standings(std::size_t) override { return {}; }
    std::optional<PlayerEntry> FindPlayer(const std::string& name) override {
        MayFail();
        const auto found = players.find(name);
        return found == players.end() ? std::nullopt : std::optional(found->second);
    }
    PutResult PutIfBetter(const std::string& name, const ServerRecord& rec) override {
        MayFail();
        const auto found = players.find(name);
        if (found == players.end())
            return PutResult::NoPlayer;
        auto& stored = found->second.Record;
        if (stored && stored->Total >= rec.Total)
            return PutResult::NotBetter;
        stored = rec;
        return PutResult::Stored;
    }
    std::optional<ServerRecord> WorldRecord() override {
        MayFail();
        std::optional<ServerRecord> best;
        for (const auto& [name, player] : players) {
            if (player.Record && (!best || player.Record->Total > best->Total))
                best = player.Record;
        }
        return best;
    }

private:
    void MayFail() {
        if (++calls_ == failAt_)
            throw StoreError("the database is down");
    }
    int failAt_;
    int calls_ = 0;
};

bool IsCode(const std::string& reply, std::initializer_list<const char*> codes) {
    for (const char* code : codes) {
        if (reply == code)
            return true;
    }
    return false;
}

// A valid record text reads back as itself.
void CheckRecordText(const std::string& text) {
    const auto rec = ParseValidRecord(text);
    FUZZ_CHECK(rec.has_value());
    FUZZ_CHECK(RecordText(*rec) == text);
}

void CheckParse(const std::string& text) {
    const auto rec = ParseValidRecord(text);
    if (!rec)
        return;
    FUZZ_CHECK(IsRecordDate(rec->Date) && rec->Date.size() <= 16);
    FUZZ_CHECK(rec->CompletedWords >= 1 && rec->UsedTime >= 0 &&
               rec->UsedLetters / 3 >= rec->CompletedWords);
    for (const char c : rec->Date)
        FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f);
    const std::string written = RecordText(*rec);
    FUZZ_CHECK(ParseValidRecord(written) == rec);
}

// Any bytes %-encoded decode to themselves.
std::string Encoded(const std::string& bytes) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        out += '%';
        out += hex[byte >> 4];
        out += hex[byte & 15];
    }
    return out;
}

// A valid record, its total from the game's own rule.
ServerRecord AnnRecord() {
    lexfall::TScoreRec rec{};
    rec.CompletedWords = 10;
    rec.UsedTime = 100;
    rec.UsedLetters = 50;
    return ServerRecord{"Ann", 10, 100, 50, lexfall::TotalScore(rec), "12/09/26"};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const std::string value = data.ConsumeRandomLengthString(64);
    FUZZ_CHECK(PercentDecode(Encoded(value)) == value);
    FUZZ_CHECK(Query("/x?k=" + Encoded(value)).Value("k") == value);
    FUZZ_CHECK(!Query("/x?k=1&k=" + Encoded(value)).Value("k"));

    MemoryStore store(data.ConsumeIntegralInRange(0, 15));
    store.players["ann"] = {"Ann@Example.com", HashAccessCode(kHashKey, "CODE"), AnnRecord()};
    store.players["bob"] = {"bob@example.com", HashAccessCode(kHashKey, "BOB"), std::nullopt};

    std::vector<std::string> logged;
    RecordService service(store, [&](const std::string& text) { logged.push_back(text); });
    const int exchange = data.ConsumeIntegralInRange(0, 2);
    const std::string target = data.ConsumeRemainingBytesAsString();
    const Query query(target);
    CheckParse(target);
    if (const auto r = query.Value("r"))
        CheckParse(*r);

    const auto before = store.players;
    const auto sameRecords = [&] {
        for (const auto& [name, player] : before) {
            if (store.players[name].Record != player.Record)
                return false;
        }
        return true;
    };
    if (exchange == 0) {
        const std::string reply = service.CheckWR();
        if (!reply.empty())
            CheckRecordText(reply);
        FUZZ_CHECK(sameRecords());
    } else if (exchange == 1) {
        const std::string reply = service.GetMyRec(query);
        if (!IsCode(reply, {"1", "3", "5", "7"})) {
            CheckRecordText(reply);
            const auto user = query.Value("u");
            FUZZ_CHECK(user && before.at(*user).Record == ParseValidRecord(reply));
        }
        FUZZ_CHECK(sameRecords());
    } else {
        const std::string reply = service.PutMyRec(query);
        FUZZ_CHECK(IsCode(reply, {"0", "1", "3", "4", "6", "7"}));
        if (reply == "0") {
            const auto user = query.Value("u");
            auto put = ParseValidRecord(*query.Value("r"));
            FUZZ_CHECK(user && put);
            put->Name = *user; // stored under the registered name
            FUZZ_CHECK(store.players.at(*user).Record == put);
        } else {
            FUZZ_CHECK(sameRecords());
        }
        FUZZ_CHECK(reply != "7" || !logged.empty());
    }
    return 0;
}
