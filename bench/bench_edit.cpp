// bench_edit.cpp - undo and redo of a whole-map step, history memory, and the cost of a
// painted stroke with its history against the paint without one, in the same run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/list.h"
#include "core/mem.h"
#include "map/edit/edit.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"
#include "map/model/model_raw.h"
#include "map/model/stamp.h"
#include "map/model/tilegrid.h"

namespace {

// A map whose every cell holds a plain tile.
EditedMap full_map() {
    EditedMap map(mapdata_new());
    mapdata_make_default(map);
    for (int32_t x = 0; x < 1024; ++x)
        for (int32_t y = 0; y < 1024; ++y)
            tilegrid_put(map->tiles, x, y, static_cast<uint8_t>(1 + (x * 7 + y * 13) % 190));
    return map;
}

// The map a stroke is painted on: a real map when present, else one with scattered objects.
EditedMap stroke_map() {
    std::string real = std::string(OSTREL_TESTDATA) + "/duelpub.lvl";
    if (std::filesystem::exists(real)) return EditedMap(mapdata_load(real.c_str()));
    EditedMap map(full_map());
    for (int k = 0; k < 60; ++k)
        edit_paint(map, 17 * k % 1000, 29 * k % 1000, 216 + k % 5);
    map.history = edit_history_new(map.get());
    return map;
}

void BM_ReadEveryCellBaseline(benchmark::State& state) {
    EditedMap map(full_map());
    for (auto _ : state) {
        uint32_t sum = 0;
        for (int32_t x = 0; x < 1024; ++x)
            for (int32_t y = 0; y < 1024; ++y)
                sum += tilegrid_get(map->tiles, x, y);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_ReadEveryCellBaseline)->Unit(benchmark::kMillisecond)->Repetitions(5);

// One step that changes all 1,048,576 cells; undo and redo are timed apart.
void undo_redo(benchmark::State& state, bool time_undo) {
    EditedMap map(full_map());
    std::vector<uint32_t> cells;
    cells.reserve(1 << 20);
    for (int32_t y = 0; y < 1024; ++y)
        for (int32_t x = 0; x < 1024; ++x)
            cells.push_back(edit_pack_cell(x, y, static_cast<uint8_t>(200 - (x + y) % 7)));
    edit_begin(map, "fill");
    edit_reserve_cells(map, cells.size());
    edit_put_tiles(map, cells.data(), cells.size());
    edit_end(map);
    // What the step holds beyond 4 bytes per cell.
    state.counters["history_bytes_over_4_per_cell"] =
        static_cast<double>(edit_history_bytes(map)) - 4.0 * static_cast<double>(cells.size());
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        edit_undo(map, nullptr);
        auto t1 = std::chrono::steady_clock::now();
        edit_redo(map, nullptr);
        auto t2 = std::chrono::steady_clock::now();
        state.SetIterationTime(
            std::chrono::duration<double>(time_undo ? t1 - t0 : t2 - t1).count());
    }
}
void BM_UndoMillionCells(benchmark::State& state) {
    undo_redo(state, true);
}
void BM_RedoMillionCells(benchmark::State& state) {
    undo_redo(state, false);
}
BENCHMARK(BM_UndoMillionCells)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_RedoMillionCells)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(5);

// The object lookup as it was before the history: a walk of the whole stamp list.
Stamp* find_by_walk(const MapData* map, int32_t x, int32_t y) {
    auto ux = static_cast<uint32_t>(x), uy = static_cast<uint32_t>(y);
    for (uint32_t i = 0; i < map->stamps.count; ++i) {
        Stamp* s = &map->stamps.items[i];
        uint32_t ax = s->anchor & 0xFFFu, ay = (s->anchor >> 12) & 0xFFFu;
        if (ax <= ux && ux < ax + s->width && ay <= uy && uy < ay + s->height) return s;
    }
    return nullptr;
}

// The paint as it was before the history: objects removed with an immediate compaction.
void paint_without_history(MapData* map, int32_t x, int32_t y, int tile) {
    if (Stamp* s = find_by_walk(map, x, y)) {
        uint32_t ax = s->anchor & 0xFFFu, ay = (s->anchor >> 12) & 0xFFFu;
        for (uint32_t i = 0; i < s->width && ax + i < 1024; ++i)
            for (uint32_t j = 0; j < s->height && ay + j < 1024; ++j)
                tilegrid_put(map->tiles, static_cast<int32_t>(ax + i), static_cast<int32_t>(ay + j),
                             0);
        tilegrid_compact(map->tiles);
        stamp_delete(map, static_cast<uint32_t>(s - map->stamps.items));
    }
    tilegrid_put(map->tiles, x, y, static_cast<uint8_t>(tile));
    if (tile == 0) tilegrid_compact(map->tiles);
}

// A stroke of 24 cells along a row, painting 5 and 6 in turn (arg 1: erasing and painting in
// turn), with one step per stroke when the history is on.
void stroke(benchmark::State& state, bool history) {
    EditedMap map(stroke_map());
    const bool erase = state.range(0) == 1;
    int n = 0;
    for (auto _ : state) {
        int tile = erase ? (n % 2 ? 0 : 5) : 5 + n % 2;
        int32_t y = 300 + n % 64;
        ++n;
        if (history) edit_begin(map, "stroke");
        for (int32_t x = 400; x < 424; ++x) {
            if (history)
                edit_paint(map, x, y, tile);
            else
                paint_without_history(map, x, y, tile);
        }
        if (history) {
            edit_set_label(map, "stroke of 24 cells"); // as the editor labels it
            edit_end(map);
        }
    }
}
void BM_StrokeWithoutHistory(benchmark::State& state) {
    stroke(state, false);
}
void BM_StrokeWithHistory(benchmark::State& state) {
    stroke(state, true);
}
BENCHMARK(BM_StrokeWithoutHistory)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK(BM_StrokeWithHistory)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->Repetitions(5);

class BudgetReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (!median) continue;
            std::string name = run.run_name.function_name + "/" + run.run_name.args;
            times[name] = run.GetAdjustedRealTime();
            // The machine is shared: the ratios of short runs are taken on CPU time.
            cpu[name] = run.GetAdjustedCPUTime();
            for (const auto& [name, counter] : run.counters)
                counters[name] = counter.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times, cpu, counters;
};

void check(const char* what, double value, double limit, const char* unit) {
    std::printf("%-44s %10.3f %-4s (budget %.3f) %s\n", what, value, unit, limit,
                value <= limit ? "ok" : "OVER BUDGET");
}

} // namespace

int main(int argc, char** argv) {
    std::FILE* quiet = std::freopen("/dev/null", "w", stderr); // the reader's detail lines
    benchmark::Initialize(&argc, argv);
    BudgetReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (!quiet) return 1;
    auto& t = reporter.times;
    std::printf("\nBudgets (medians of 5 repetitions, ratios against baselines of this run):\n");
    if (t.count("BM_UndoMillionCells/") && t.count("BM_ReadEveryCellBaseline/")) {
        check("undo of a 1,048,576-cell step", t["BM_UndoMillionCells/"], 50, "ms");
        check("redo of a 1,048,576-cell step", t["BM_RedoMillionCells/"], 50, "ms");
        std::printf("%-44s %10.3f x\n", "undo / one read of every cell",
                    t["BM_UndoMillionCells/"] / t["BM_ReadEveryCellBaseline/"]);
        check("history bytes beyond 4 per cell, 1M-cell step",
              reporter.counters["history_bytes_over_4_per_cell"], 1024, "B");
    }
    for (const char* arg : {"0", "1"}) {
        std::string with = std::string("BM_StrokeWithHistory/") + arg;
        std::string without = std::string("BM_StrokeWithoutHistory/") + arg;
        if (t.count(with) && t.count(without))
            check(arg[0] == '0' ? "paint stroke: with history / without (CPU)"
                                : "erase+paint strokes: with history / without (CPU)",
                  reporter.cpu[with] / reporter.cpu[without], 1.2, "x");
    }
    return 0;
}
