// SPDX-License-Identifier: GPL-3.0-or-later
// Settings files that the player's other tools may have grown: one option change (WriteIni with
// one setting changed) on a 10 MB file, which each change of the options page rewrites, and the
// start-up's work on a 50 MB one: LoadSettings and the two writes of a start with the sound off
// and no music.
#include "bench/ScratchFolder.h"
#include "settings/SettingsFile.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace {

using namespace lexfall;

using bench::ScratchFolder;

// megabytes of another section's lines in front of the options.
void WriteLargeFile(const std::string& path, std::size_t megabytes) {
    std::ofstream out(path, std::ios::binary);
    const std::string line = "Entry=a line another tool keeps in this file, 64 bytes..\r\n";
    out << "[Notes]\r\n";
    for (std::size_t size = 0; size < megabytes * 1024 * 1024; size += line.size())
        out << line;
    out << "\r\n";
}

void BM_OptionChangeOn10MBFile(benchmark::State& state) {
    const ScratchFolder folder;
    const std::string path = folder.File(SettingsFileName);
    WriteLargeFile(path, 10);
    Settings settings;
    WriteIni(path, settings);
    for (auto _ : state) {
        settings.Sound = !settings.Sound;
        WriteIni(path, settings);
    }
    state.counters["file_MB"] =
        static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024.0);
}
BENCHMARK(BM_OptionChangeOn10MBFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_LoadSettingsOn50MBFile(benchmark::State& state) {
    const ScratchFolder folder;
    const std::string path = folder.File(SettingsFileName);
    WriteLargeFile(path, 50);
    Settings settings;
    settings.Sound = false;
    WriteIni(path, settings);
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadSettings(path));
}
BENCHMARK(BM_LoadSettingsOn50MBFile)->Unit(benchmark::kMillisecond);

void BM_StartUpOn50MBFile(benchmark::State& state) {
    const ScratchFolder folder;
    const std::string path = folder.File(SettingsFileName);
    WriteLargeFile(path, 50);
    Settings stored;
    stored.Sound = false;
    WriteIni(path, stored);
    for (auto _ : state) {
        const Settings settings = LoadSettings(path);
        WriteIni(path, settings); // the music box unticked
        WriteIni(path, settings); // the sound box cleared
    }
}
BENCHMARK(BM_StartUpOn50MBFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
