// bench_map.cpp - load, save, erase and memory of a full map against same-run baselines.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/platform.h"
#include "map/lvl/builtin_tileset.h"
#include "map/edit/edit.h"
#include "map/lvl/level.h"
#include "map/lvl/level_reading.h"
#include "map/model/mapdata.h"
#include "map/model/stamp.h"
#include "map/model/tilegrid.h"

namespace {

std::filesystem::path g_dir;
std::string g_full;  // a full map: 1,048,576 records behind a 49,718-byte bitmap
std::string g_saved; // where saves go
size_t g_saved_size = 0;

uint8_t tile_at(uint32_t x, uint32_t y) {
    return static_cast<uint8_t>(1 + (x * 7 + y * 13) % 190);
}

void make_files() {
    char pattern[] = "/tmp/ostrel-bench-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    g_dir = pattern;
    std::filesystem::create_directory(g_dir / "graphics");
    // The reader writes its tileset copy relative to the working folder.
    std::filesystem::current_path(g_dir);
    g_full = (g_dir / "full.lvl").string();
    g_saved = (g_dir / "saved.lvl").string();
    uint32_t length = 0;
    const uint8_t* bitmap = builtin_tileset(&length);
    std::vector<uint8_t> file(bitmap, bitmap + 49718);
    file.reserve(49718 + 4 * 1048576);
    for (uint32_t y = 0; y < 1024; ++y) {
        for (uint32_t x = 0; x < 1024; ++x) {
            uint32_t word = x | y << 12 | uint32_t{tile_at(x, y)} << 24;
            for (int i = 0; i < 4; ++i)
                file.push_back(static_cast<uint8_t>(word >> (8 * i)));
        }
    }
    std::FILE* out = std::fopen(g_full.c_str(), "wb");
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);
}

// The least a load can cost: the file mapped, every record word read and summed.
void read_and_sum() {
    MappedFile* file = mapped_file_open(g_full.c_str());
    uint32_t sum = 0;
    const uint8_t* p = file->data;
    for (uint32_t i = 0; i + 4 <= file->length; i += 4) {
        uint32_t word;
        std::memcpy(&word, p + i, 4);
        sum += word;
    }
    benchmark::DoNotOptimize(sum);
    mapped_file_close(file);
}

void BM_ReadAndSumBaseline(benchmark::State& state) {
    for (auto _ : state)
        read_and_sum();
}
BENCHMARK(BM_ReadAndSumBaseline)->Unit(benchmark::kMillisecond)->Repetitions(5);

// Each load is paired with a read and sum just before it, timed apart: their ratio
// (load_over_read_and_sum) does not move with the machine's drifts between benchmarks.
void BM_LoadFullMap(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    Clock::duration loads{}, baselines{};
    for (auto _ : state) {
        state.PauseTiming();
        auto before = Clock::now();
        read_and_sum();
        baselines += Clock::now() - before;
        state.ResumeTiming();
        before = Clock::now();
        MapData* map = mapdata_load(g_full.c_str());
        benchmark::DoNotOptimize(map);
        loads += Clock::now() - before;
        state.PauseTiming();
        if (mapdata_get_tile(map, 1023, 1023) != tile_at(1023, 1023))
            state.SkipWithError("bad load");
        mapdata_free(map);
        state.ResumeTiming();
    }
    state.counters["load_over_read_and_sum"] = double(loads.count()) / double(baselines.count());
}
BENCHMARK(BM_LoadFullMap)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The parts of a load: applying the records to a new grid, and to a grid whose storage exists.
void BM_ApplyRecords(benchmark::State& state) {
    MappedFile* file = mapped_file_open(g_full.c_str());
    bool fresh = state.range(0) == 0;
    MapData* map = mapdata_new();
    map->tiles = tilegrid_new();
    for (auto _ : state) {
        if (fresh) {
            state.PauseTiming();
            tilegrid_free(map->tiles);
            map->tiles = tilegrid_new();
            state.ResumeTiming();
        }
        LevelReading reading{map};
        level_read_tiles(&reading, file->data + 49718, static_cast<int32_t>(file->length - 49718));
    }
    mapdata_free(map);
    mapped_file_close(file);
}
BENCHMARK(BM_ApplyRecords)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The fixed part of a load: the bitmap alone (tileset copy, its file and its surface).
void BM_LoadBitmapOnly(benchmark::State& state) {
    std::string path = (g_dir / "bitmap.lvl").string();
    uint32_t length = 0;
    const uint8_t* bitmap = builtin_tileset(&length);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    std::fwrite(bitmap, 1, 49718, out);
    std::fclose(out);
    for (auto _ : state) {
        MapData* map = mapdata_load(path.c_str());
        state.PauseTiming();
        mapdata_free(map);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadBitmapOnly)->Unit(benchmark::kMillisecond);

// The same bytes a save writes, written the plain way: one buffered write, flushed to disk.
void write_baseline(benchmark::State& state, bool sync) {
    std::vector<uint8_t> bytes(g_saved_size, 0x5A);
    std::string path = (g_dir / "baseline.bin").string();
    for (auto _ : state) {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fflush(out);
        if (sync) fsync(fileno(out));
        std::fclose(out);
    }
}
void BM_WriteBaseline(benchmark::State& state) {
    write_baseline(state, true);
}
void BM_WriteBaselineNoSync(benchmark::State& state) {
    write_baseline(state, false);
}
BENCHMARK(BM_WriteBaseline)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_WriteBaselineNoSync)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_SaveFullMap(benchmark::State& state) {
    MapData* map = mapdata_load(g_full.c_str());
    for (auto _ : state)
        if (mapdata_save(map, g_saved.c_str()).result != MAPDATA_SAVE_OK)
            state.SkipWithError("save failed");
    mapdata_free(map);
}
BENCHMARK(BM_SaveFullMap)->Unit(benchmark::kMillisecond)->Repetitions(5);

// Laying the file out in memory only: what the save costs apart from the disk.
void BM_SaveFullMapToMemory(benchmark::State& state) {
    MapData* map = mapdata_load(g_full.c_str());
    std::vector<uint8_t> bytes;
    for (auto _ : state)
        mapdata_save_bytes(map, &bytes);
    mapdata_free(map);
}
BENCHMARK(BM_SaveFullMapToMemory)->Unit(benchmark::kMillisecond);

// Erasing one cell of a full map, compaction included; timed around the paint alone.
void BM_PaintZeroFullMap(benchmark::State& state) {
    EditedMap map(mapdata_load(g_full.c_str()));
    uint32_t n = 0;
    for (auto _ : state) {
        int32_t x = static_cast<int32_t>(n * 97 % 1024), y = static_cast<int32_t>(n * 389 % 1024);
        ++n;
        auto start = std::chrono::steady_clock::now();
        edit_paint(map, x, y, 0);
        auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        tilegrid_put(map->tiles, x, y, tile_at(static_cast<uint32_t>(x), static_cast<uint32_t>(y)));
    }
}
BENCHMARK(BM_PaintZeroFullMap)->UseManualTime()->Unit(benchmark::kMicrosecond)->Repetitions(5);

// Heap bytes the allocator hands out while a grid is built, its own overhead included.
size_t heap_in_use() {
    return mallinfo2().uordblks;
}

void BM_GridMemory(benchmark::State& state) {
    for (auto _ : state) {
        size_t before = heap_in_use();
        TileGrid* full = tilegrid_new();
        for (int32_t x = 0; x < 1024; ++x)
            for (int32_t y = 0; y < 1024; ++y)
                tilegrid_put(full, x, y, 1);
        state.counters["full_grid_KiB"] = static_cast<double>(tilegrid_storage_bytes(full)) / 1024;
        state.counters["full_heap_KiB"] = static_cast<double>(heap_in_use() - before) / 1024;
        tilegrid_free(full);
        MapData* def = mapdata_load("");
        state.counters["default_grid_KiB"] =
            static_cast<double>(tilegrid_storage_bytes(def->tiles)) / 1024;
        mapdata_free(def);
        before = heap_in_use();
        TileGrid* one = tilegrid_new();
        tilegrid_put(one, 0, 0, 1);
        state.counters["default_heap_KiB"] = static_cast<double>(heap_in_use() - before) / 1024;
        tilegrid_free(one);
    }
}
BENCHMARK(BM_GridMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's time per iteration and counters so the budgets can be checked.
class BudgetReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            // With repetitions the median stands for the benchmark.
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (!median && run.run_type != Run::RT_Iteration) continue;
            times[run.run_name.function_name] = run.GetAdjustedRealTime();
            for (const auto& [name, counter] : run.counters)
                counters[name] = counter.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times, counters;
};

void check(const char* what, double value, double limit, const char* unit) {
    std::printf("%-44s %10.3f %-4s (budget %.3f) %s\n", what, value, unit, limit,
                value <= limit ? "ok" : "OVER BUDGET");
}

} // namespace

int main(int argc, char** argv) {
    std::filesystem::path start = std::filesystem::current_path();
    make_files();
    {
        // The size of the file a save of the full map writes.
        MapData* map = mapdata_load(g_full.c_str());
        std::vector<uint8_t> bytes;
        mapdata_save_bytes(map, &bytes);
        g_saved_size = bytes.size();
        mapdata_free(map);
    }
    // The reader's and writer's detail lines would drown the report.
    std::FILE* quiet = std::freopen("/dev/null", "w", stderr);
    benchmark::Initialize(&argc, argv);
    BudgetReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (!quiet) return 1;

    auto& t = reporter.times;
    auto& c = reporter.counters;
    std::printf("\nBudgets (medians of 5 repetitions, ratios against baselines of this run):\n");
    // Times are in each benchmark's own unit: milliseconds, the paint in microseconds.
    if (c.count("load_over_read_and_sum"))
        check("load full map / read and sum (paired)", c["load_over_read_and_sum"], 1.2, "x");
    if (t.count("BM_SaveFullMap") && t.count("BM_WriteBaseline"))
        check("save full map / one buffered write + fsync",
              t["BM_SaveFullMap"] / t["BM_WriteBaseline"], 1.5, "x");
    if (t.count("BM_SaveFullMap") && t.count("BM_WriteBaselineNoSync"))
        std::printf("%-44s %10.3f x    (save includes fsync, baseline does not)\n",
                    "save full map / one buffered write, no fsync",
                    t["BM_SaveFullMap"] / t["BM_WriteBaselineNoSync"]);
    if (t.count("BM_PaintZeroFullMap"))
        check("paint 0 on a full map", t["BM_PaintZeroFullMap"] / 1000, 0.2, "ms");
    if (c.count("full_grid_KiB")) {
        check("full map grid (KiB)", c["full_grid_KiB"], 1536, "KiB");
        check("full map grid with allocator overhead (KiB)", c["full_heap_KiB"], 1536, "KiB");
        check("default map grid (KiB)", c["default_grid_KiB"], 64, "KiB");
        check("default map grid with allocator overhead (KiB)", c["default_heap_KiB"], 64, "KiB");
    }
    std::filesystem::current_path(start);
    std::filesystem::remove_all(g_dir);
    return 0;
}
