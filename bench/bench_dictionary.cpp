// SPDX-License-Identifier: GPL-3.0-or-later
// CheckKey on the built Dict.dll, against the same number of bare 9-byte preads at the same
// offsets: a lookup should cost little beyond its reads.
#include "platform/ThrowingDialogs.h"
#include "words/Dictionary.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace lexfall;

const std::string kAppDir = std::string(LEXFALL_BIN_DIR) + "/";

// Records the offsets one lookup reads, to replay them as the baseline.
class RecordingDictionary final : public Dictionary {
public:
    using Dictionary::Dictionary;
    std::vector<std::int64_t> offsets;

protected:
    long ReadAt(int fd, std::uint8_t* buffer, std::size_t size, std::int64_t offset) override {
        offsets.push_back(offset);
        return Dictionary::ReadAt(fd, buffer, size, offset);
    }
};

struct Case {
    const char* name;
    const char* word;
    bool found;
};

// A hit and a miss in each block, and a text past the last 3-letter word.
const Case kCases[] = {
    {"8/hit", "NOTEBOOK", true},  {"8/miss", "NOTEBOOQ", false}, {"7/hit", "KITCHEN", true},
    {"7/miss", "KITCHEM", false}, {"6/hit", "PLANET", true},     {"6/miss", "PLANEQ", false},
    {"5/hit", "HOUSE", true},     {"5/miss", "HOUSX", false},    {"4/hit", "WORD", true},
    {"4/miss", "WORQ", false},    {"3/hit", "CAT", true},        {"3/miss", "XQZ", false},
    {"3/past-end", "ZZZ", false},
};

void LookUp(benchmark::State& state, const Case& c, std::size_t probes) {
    ThrowingDialogs dialogs;
    Dictionary dict(kAppDir, dialogs);
    dict.OpenDict();
    const std::string word = c.word;
    for (auto _ : state) {
        const bool found = dict.CheckKey(word);
        benchmark::DoNotOptimize(found);
    }
    if (dict.CheckKey(word) != c.found)
        state.SkipWithError("unexpected answer");
    state.counters["probes"] = static_cast<double>(probes);
    dict.CloseDict();
}

void BarePreads(benchmark::State& state, std::vector<std::int64_t> offsets) {
    const int fd = ::open((kAppDir + "Dict.dll").c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        state.SkipWithError("cannot open Dict.dll");
        return;
    }
    std::uint8_t record[DictRecordSize];
    for (auto _ : state) {
        for (const auto offset : offsets) {
            const auto got = ::pread(fd, record, sizeof record, static_cast<off_t>(offset));
            benchmark::DoNotOptimize(got);
            benchmark::DoNotOptimize(record);
        }
    }
    state.counters["probes"] = static_cast<double>(offsets.size());
    ::close(fd);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    ThrowingDialogs dialogs;
    RecordingDictionary probe(kAppDir, dialogs);
    probe.OpenDict();
    for (const Case& c : kCases) {
        probe.offsets.clear();
        probe.CheckKey(c.word);
        const auto offsets = probe.offsets;
        benchmark::RegisterBenchmark(
            (std::string("CheckKey/") + c.name).c_str(),
            [&c, n = offsets.size()](benchmark::State& state) { LookUp(state, c, n); });
        benchmark::RegisterBenchmark(
            (std::string("BarePread/") + c.name).c_str(),
            [offsets](benchmark::State& state) { BarePreads(state, offsets); });
    }
    probe.CloseDict();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
