// bench_cli.cpp - ostrel-lvl's commands against a plain load of the same files in the same run:
// info on the largest shared map, check on all of them, render of a full map at scale 1, and
// the time and peak memory of a full-size (scale 16) render of a full map, run first so the
// process's high-water mark is its own.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/lvl_tool.h"
#include "core/log.h"
#include "map/lvl/builtin_tileset.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"

namespace {

const std::string kMaps = OSTREL_TESTDATA;
std::string g_dir, g_full;

// A map with every cell set (tiles 1..190, no objects) behind the built-in tileset.
void make_full_map() {
    char pattern[] = "/tmp/ostrel-bench-cli-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    g_dir = pattern;
    g_full = g_dir + "/full.lvl";
    uint32_t length = 0;
    const uint8_t* bitmap = builtin_tileset(&length);
    std::vector<uint8_t> file(bitmap, bitmap + 49718);
    for (uint32_t y = 0; y < 1024; ++y)
        for (uint32_t x = 0; x < 1024; ++x) {
            uint32_t word = x | y << 12 | (1 + (x * 7 + y * 13) % 190) << 24;
            for (int i = 0; i < 4; ++i)
                file.push_back(static_cast<uint8_t>(word >> (8 * i)));
        }
    std::ofstream(g_full, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()),
               static_cast<std::streamsize>(file.size()));
}

int run(std::vector<std::string> args) {
    static FILE* null = std::fopen("/dev/null", "w");
    args.insert(args.begin(), "ostrel-lvl");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    return lvl_main(static_cast<int>(argv.size()), argv.data(), null, null);
}

// The baseline: reading the file into a map, as the editor's open does (no tileset copy).
void load(const std::string& path) {
    MapData* map = mapdata_new();
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    mapdata_read_bytes(map, bytes, LevelReadOptions{false});
    benchmark::DoNotOptimize(map->tiles);
    mapdata_free(map);
}

// Peak resident memory since the mark, from the kernel's high-water mark.
long resident_peak_kib() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}
long resident_now_kib() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

void BM_RenderFullScale16(benchmark::State& state) {
    long added = 0, peak = 0;
    for (auto _ : state) {
        // Writing 5 resets the high-water mark to the current resident size.
        std::ofstream("/proc/self/clear_refs") << "5";
        long before = resident_now_kib();
        run({"render", g_full, g_dir + "/full16.png", "--scale", "16"});
        peak = resident_peak_kib();
        added = peak - before;
    }
    state.counters["peak_MiB"] = static_cast<double>(peak) / 1024.0;
    state.counters["peak_added_MiB"] = static_cast<double>(added) / 1024.0;
}
BENCHMARK(BM_RenderFullScale16)->Unit(benchmark::kSecond)->Iterations(1);

void BM_LoadLargestBaseline(benchmark::State& state) {
    for (auto _ : state)
        load(kMaps + "/scf.lvl");
}
BENCHMARK(BM_LoadLargestBaseline)->Unit(benchmark::kMillisecond);

void BM_InfoLargest(benchmark::State& state) {
    for (auto _ : state)
        run({"info", kMaps + "/scf.lvl"});
}
BENCHMARK(BM_InfoLargest)->Unit(benchmark::kMillisecond);

void BM_CheckAllShared(benchmark::State& state) {
    for (auto _ : state)
        run({"check", kMaps + "/duelpub.lvl", kMaps + "/scf.lvl", kMaps + "/smallmap.lvl",
             kMaps + "/smallmape.lvl"});
}
BENCHMARK(BM_CheckAllShared)->Unit(benchmark::kMillisecond);

void BM_LoadFullBaseline(benchmark::State& state) {
    for (auto _ : state)
        load(g_full);
}
BENCHMARK(BM_LoadFullBaseline)->Unit(benchmark::kMillisecond);

void BM_RenderFullScale1(benchmark::State& state) {
    for (auto _ : state)
        run({"render", g_full, g_dir + "/full1.png"});
}
BENCHMARK(BM_RenderFullScale1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    make_full_map();
    if (!std::freopen("/dev/null", "w", stderr)) return 1; // the reader's log, not the figures
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::filesystem::remove_all(g_dir);
    return 0;
}
