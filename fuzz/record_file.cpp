// SPDX-License-Identifier: GPL-3.0-or-later
// The record file over any bytes: start-up loads and repairs it, then both saves write their
// slot. Afterwards only the two slots may have changed, both hold valid records, and memory
// agrees with the file.
#include "FuzzSupport.h"
#include "records/RecordFile.h"
#include "records/ScoreRec.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <stdexcept>

namespace {

using namespace lexfall;
using lexfall::fuzz::ReadFile;

constexpr double kToday = 46366.0;
constexpr std::size_t kSlot = sizeof(TScoreRec);

TScoreRec SlotOf(std::string_view bytes, std::size_t slot) {
    TScoreRec rec{};
    std::memcpy(&rec, bytes.data() + slot * kSlot, kSlot);
    return rec;
}

std::string BytesOf(const TScoreRec& rec) {
    return std::string(reinterpret_cast<const char*>(&rec), kSlot);
}

TScoreRec Cleared() {
    TScoreRec rec{};
    ClearRecord(rec, "No Record", kToday);
    return rec;
}

// The slot as start-up leaves it: kept when valid, else the cleared record.
std::string Repaired(std::string_view bytes, std::size_t slot, bool& repaired) {
    const TScoreRec rec = SlotOf(bytes, slot);
    repaired = !IsValidRecord(rec);
    return BytesOf(repaired ? Cleared() : rec);
}

// A record from the input: a third are valid, the rest any bytes, as a fetched record can be.
TScoreRec AnyRecord(FuzzedDataProvider& data) {
    TScoreRec rec{};
    const std::string bytes = data.ConsumeBytesAsString(kSlot);
    std::memcpy(&rec, bytes.data(), bytes.size());
    if (data.ConsumeIntegralInRange(0, 2) == 0)
        rec.Total = TotalScore(rec);
    return rec;
}

void CheckLoad(const std::filesystem::path& dir, const std::string& before, TScoreRec& myRec,
               TScoreRec& worldRec) {
    const std::filesystem::path path = dir / "Records.dat";
    testing::RecordingDialogs dialogs;
    bool threw = false;
    bool read = false;
    try {
        LoadRecords(dir, dialogs, kToday, myRec, worldRec, read);
    } catch (const std::exception& error) {
        threw = true;
        FUZZ_CHECK(std::string(error.what()) == "Cannot read beyond end of file");
    }
    const std::string after = ReadFile(path);
    // Every record in memory reads back a name within its 20 characters.
    FUZZ_CHECK(RecordName(myRec).size() <= kMaxNameLength);
    FUZZ_CHECK(RecordName(worldRec).size() <= kMaxNameLength);
    FUZZ_CHECK(IsValidRecord(myRec) && IsValidRecord(worldRec));

    const std::size_t records = before.size() / kSlot;
    if (records == 0) {
        // Stray bytes stay in front of the two cleared records; nothing is said.
        FUZZ_CHECK(!threw && dialogs.messages.empty());
        FUZZ_CHECK(after == before + BytesOf(Cleared()) + BytesOf(Cleared()));
        FUZZ_CHECK(BytesOf(myRec) == BytesOf(Cleared()) && BytesOf(worldRec) == BytesOf(Cleared()));
        return;
    }
    FUZZ_CHECK(after.size() == before.size());
    bool repaired0 = false;
    const std::string slot0 = Repaired(before, 0, repaired0);
    FUZZ_CHECK(after.compare(0, kSlot, slot0) == 0);
    FUZZ_CHECK(BytesOf(myRec) == slot0);
    if (records == 1) {
        // One whole record: the world slot is missing, which a message naming the file says;
        // the rest stays as it was until a world record is stored.
        FUZZ_CHECK(!threw);
        FUZZ_CHECK(after.compare(kSlot, std::string::npos, before, kSlot) == 0);
        FUZZ_CHECK(BytesOf(worldRec) == BytesOf(Cleared()));
        FUZZ_CHECK(dialogs.messages.size() == (repaired0 ? 2u : 1u));
        FUZZ_CHECK(dialogs.messages.back().find(path.string()) != std::string::npos);
        return;
    }
    FUZZ_CHECK(!threw);
    bool repaired1 = false;
    const std::string slot1 = Repaired(before, 1, repaired1);
    FUZZ_CHECK(after.compare(kSlot, kSlot, slot1) == 0);
    FUZZ_CHECK(BytesOf(worldRec) == slot1);
    FUZZ_CHECK(after.compare(2 * kSlot, std::string::npos, before, 2 * kSlot) == 0);
    FUZZ_CHECK(dialogs.messages.size() == (repaired0 ? 1u : 0u) + (repaired1 ? 1u : 0u));
}

// A save writes its own slot and nothing else; only a missing world slot may be added.
void CheckSave(const std::filesystem::path& dir, const TScoreRec& myRec, const TScoreRec& worldRec,
               bool mine) {
    const std::filesystem::path path = dir / "Records.dat";
    const std::string before = ReadFile(path);
    testing::RecordingDialogs dialogs;
    bool threw = false;
    try {
        if (mine)
            SaveMyRec(dir, dialogs, myRec, worldRec);
        else
            SaveWorldRec(dir, dialogs, myRec, worldRec);
    } catch (const std::exception& error) {
        threw = true;
        FUZZ_CHECK(std::string(error.what()) == "Cannot read beyond end of file");
    }
    FUZZ_CHECK(dialogs.messages.empty());
    const std::string after = ReadFile(path);
    std::string expected = before;
    const std::size_t slot = mine ? 0 : 1;
    if ((slot + 1) * kSlot <= before.size()) {
        FUZZ_CHECK(!threw);
        expected.replace(slot * kSlot, kSlot, BytesOf(mine ? myRec : worldRec));
    } else if (!mine && before.size() >= kSlot) {
        // A file of the player's record alone gains its world slot right after it.
        FUZZ_CHECK(!threw);
        expected = before.substr(0, kSlot) + BytesOf(worldRec);
    } else {
        FUZZ_CHECK(threw);
    }
    FUZZ_CHECK(after == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const std::string before = data.ConsumeRandomLengthString(400);
    const std::filesystem::path& dir = fuzz::ScratchDir();
    fuzz::WriteFile(dir / "Records.dat", before);

    // Memory holds anything before start-up; the load must replace all of it.
    TScoreRec myRec = AnyRecord(data);
    TScoreRec worldRec = AnyRecord(data);
    CheckLoad(dir, before, myRec, worldRec);

    // Records fetched from the server are stored as received, valid or not.
    const bool mineFirst = data.ConsumeBool();
    const TScoreRec fetched = AnyRecord(data);
    (mineFirst ? myRec : worldRec) = fetched;
    CheckSave(dir, myRec, worldRec, mineFirst);
    (mineFirst ? worldRec : myRec) = AnyRecord(data);
    CheckSave(dir, myRec, worldRec, !mineFirst);
    return 0;
}
