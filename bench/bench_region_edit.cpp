// bench_region_edit.cpp - region changes as a map maker makes them: create, rename, a property,
// deleting a region that covers the whole map and its undo, and rebuilding the region sets.
// Baseline: one read of every cell of a filled grid (BM_BaselineGridSweep).
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "map/lvl/level.h"
#include "map/edit/edit.h"
#include "map/model/mapdata.h"
#include "map/model/model_raw.h"
#include "map/model/region.h"
#include "map/edit/region_edit.h"
#include "map/model/region_store.h"

namespace {

void BM_BaselineGridSweep(benchmark::State& state) {
    TileGrid* grid = tilegrid_new();
    for (int32_t y = 0; y < 1024; ++y)
        for (int32_t x = 0; x < 1024; ++x)
            tilegrid_put(grid, x, y, 1);
    for (auto _ : state) {
        uint32_t sum = 0;
        for (int32_t y = 0; y < 1024; ++y)
            for (int32_t x = 0; x < 1024; ++x)
                sum += tilegrid_get(grid, x, y);
        benchmark::DoNotOptimize(sum);
    }
    tilegrid_free(grid);
}
BENCHMARK(BM_BaselineGridSweep)->Unit(benchmark::kMillisecond);

// A real map with its regions when the test maps are there, else the default map.
EditedMap load_map() {
    return EditedMap(mapdata_load(OSTREL_TESTDATA "/duelpub.lvl"));
}

void BM_CreateThenUndo(benchmark::State& state) {
    EditedMap map(load_map());
    for (auto _ : state) {
        benchmark::DoNotOptimize(edit_region_create(map, "Landing"));
        edit_undo(map, nullptr);
    }
}
BENCHMARK(BM_CreateThenUndo)->Unit(benchmark::kMicrosecond);

void BM_Rename(benchmark::State& state) {
    EditedMap map(load_map());
    Region* region = edit_region_create(map, "Landing");
    bool flip = false;
    for (auto _ : state)
        edit_region_rename(map, region, (flip = !flip) ? "Pad" : "Landing");
}
BENCHMARK(BM_Rename)->Unit(benchmark::kMicrosecond);

// A colour change on a region that also holds a kept sub-chunk and an autowarp.
void BM_PropertyChange(benchmark::State& state) {
    EditedMap map(load_map());
    Region* region = edit_region_create(map, "Landing");
    RegionWarp warp{512, 512, "duel"};
    edit_region_autowarp(map, region, &warp);
    edit_region_flag(map, region, "rBSE", true);
    const uint8_t a[3] = {1, 2, 3}, b[3] = {4, 5, 6};
    bool flip = false;
    for (auto _ : state)
        edit_region_colour(map, region, (flip = !flip) ? a : b);
}
BENCHMARK(BM_PropertyChange)->Unit(benchmark::kMicrosecond);

// A region on every cell of the map, sharing a corner with the map's other regions.
MapData* whole_map_region(Region** out) {
    EditedMap map(load_map());
    Region* region = edit_region_create(map, "Everything");
    for (int32_t y = 0; y < 1024; ++y)
        region_add_run(region, 0, y, 1024);
    map.history = edit_history_new(map.get());
    *out = region;
    return map;
}

void BM_DeleteWholeMapRegion(benchmark::State& state) {
    Region* region = nullptr;
    EditedMap map(whole_map_region(&region));
    for (auto _ : state) {
        edit_region_delete(map, region);
        state.PauseTiming();
        edit_undo(map, nullptr);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DeleteWholeMapRegion)->Iterations(30)->Unit(benchmark::kMillisecond);

void BM_UndoDeleteWholeMapRegion(benchmark::State& state) {
    Region* region = nullptr;
    EditedMap map(whole_map_region(&region));
    for (auto _ : state) {
        state.PauseTiming();
        edit_region_delete(map, region);
        state.ResumeTiming();
        edit_undo(map, nullptr);
    }
}
BENCHMARK(BM_UndoDeleteWholeMapRegion)->Iterations(30)->Unit(benchmark::kMillisecond);

// 40 overlapping rectangles of up to 60 x 60 cells.
void BM_RebuildSets40Rects(benchmark::State& state) {
    EditedMap map(mapdata_new());
    std::mt19937 rng(9);
    for (int i = 0; i < 40; ++i) {
        Region* r = mapdata_add_region(map, ("rect" + std::to_string(i)).c_str());
        int32_t x0 = rng() % 300, y0 = rng() % 300, w = 1 + rng() % 60, h = 1 + rng() % 60;
        for (int32_t y = y0; y < y0 + h; ++y)
            region_add_run(r, x0, y, w);
    }
    state.counters["sets"] = mapdata_region_set_count(map);
    for (auto _ : state) {
        RegionStore store = region_store_rebuild(map, nullptr);
        tilegrid_free(store.grid);
        region_sets_free(store.sets);
    }
}
BENCHMARK(BM_RebuildSets40Rects)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
