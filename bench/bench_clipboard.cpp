// bench_clipboard.cpp - the editing tools on whole-map sizes: flood fill of the empty map and
// its undo, paste of a 1024 x 1024 piece, copy of a full map. Baseline: one bare tilegrid_put
// of every cell into a fresh grid (BM_BaselineGridFill), the least a whole-map change costs.
#include <benchmark/benchmark.h>

#include <chrono>

#include "map/edit/clipboard.h"
#include "map/edit/edit.h"
#include "map/model/mapdata.h"
#include "map/model/stamp.h"
#include "map/model/tilegrid.h"

namespace {

using Clock = std::chrono::steady_clock;

EditedMap empty_map() {
    EditedMap map(mapdata_new());
    map->tiles = tilegrid_new();
    return map;
}

// Every cell set, with a few hundred objects, as a busy zone would be.
EditedMap full_map() {
    EditedMap map(empty_map());
    for (int32_t x = 0; x < 1024; ++x)
        for (int32_t y = 0; y < 1024; ++y)
            tilegrid_put(map->tiles, x, y, static_cast<uint8_t>(1 + (x * 7 + y * 13) % 190));
    for (int32_t k = 0; k < 400; ++k)
        edit_paint(map, (k * 97) % 1018, (k * 61) % 1018, 216 + k % 5);
    map.history = edit_history_new(map.get());
    return map;
}

double seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

void BM_BaselineGridFill(benchmark::State& state) {
    for (auto _ : state) {
        TileGrid* grid = tilegrid_new();
        auto t0 = Clock::now();
        for (int32_t x = 0; x < 1024; ++x)
            for (int32_t y = 0; y < 1024; ++y)
                tilegrid_put(grid, x, y, 5);
        state.SetIterationTime(seconds(t0, Clock::now()));
        tilegrid_free(grid);
    }
}
BENCHMARK(BM_BaselineGridFill)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(3);

// Arg 0: the fill; arg 1: its undo.
void BM_FloodFillEmptyMap(benchmark::State& state) {
    for (auto _ : state) {
        EditedMap map(empty_map());
        auto t0 = Clock::now();
        uint32_t cells = clip_flood_fill(map, 500, 500, 5, nullptr, nullptr);
        auto t1 = Clock::now();
        edit_undo(map, nullptr);
        auto t2 = Clock::now();
        if (cells != 1024u * 1024u || mapdata_get_tile(map, 7, 7) != 0) state.SkipWithError("fill");
        state.SetIterationTime(state.range(0) ? seconds(t1, t2) : seconds(t0, t1));
    }
}
BENCHMARK(BM_FloodFillEmptyMap)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_PasteWholePiece(benchmark::State& state) {
    EditedMap source(full_map());
    ClipPiece piece;
    clip_copy(source, {0, 0, 1024, 1024}, nullptr, &piece);
    for (auto _ : state) {
        EditedMap map(empty_map());
        auto t0 = Clock::now();
        clip_paste(map, piece, 0, 0, nullptr);
        state.SetIterationTime(seconds(t0, Clock::now()));
    }
}
BENCHMARK(BM_PasteWholePiece)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_CopyWholeMap(benchmark::State& state) {
    EditedMap map(full_map());
    for (auto _ : state) {
        ClipPiece piece;
        clip_copy(map, {0, 0, 1024, 1024}, nullptr, &piece);
        benchmark::DoNotOptimize(piece.tiles.data());
    }
}
BENCHMARK(BM_CopyWholeMap)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
