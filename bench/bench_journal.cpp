// bench_journal.cpp - the edit journal's budgets in one run: a stroke with the journal on
// against the same stroke without it, journal bytes per step against the step's undo record,
// the recovery of 10,000 steps; and the time a stroke waits to be durable and the rewrite of a
// full map.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/log.h"
#include "editor/editor_mouse.h"
#include "editor/editor_state.h"
#include "editor/recovery/recovery.h"
#include "map/edit/edit.h"
#include "map/edit/journal.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"
#include "map/model/region.h"
#include "map/model/tilegrid.h"
#include "map/edit/region_edit.h"

namespace {

std::string scratch_folder() {
    static std::string folder = [] {
        char name[] = "/tmp/ostrel-bench-journal-XXXXXX";
        return std::string(::mkdtemp(name));
    }();
    return folder;
}

// A real map when present (the journal then starts from its file), else the default map.
std::string bench_map_path() {
    std::string real = std::string(OSTREL_TESTDATA) + "/duelpub.lvl";
    return std::filesystem::exists(real) ? real : std::string();
}

EditedMap bench_map() {
    if (std::string real = bench_map_path(); !real.empty()) return EditedMap(mapdata_load(real.c_str()));
    EditedMap map(mapdata_new());
    mapdata_make_default(map);
    return map;
}

// One stroke of 24 cells along a row, as bench_edit paints it; n picks its row and tile so
// that every stroke changes its row (the tile flips each time the rows come round).
void stroke(MapEdit map, int n) {
    int32_t y = 300 + n % 64;
    int tile = 5 + (n / 64) % 2;
    edit_begin(map, "stroke");
    for (int32_t x = 400; x < 424; ++x)
        edit_paint(map, x, y, tile);
    edit_set_label(map, "stroke of 24 cells");
    edit_end(map);
}

double thread_cpu_ns() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e9 + double(t.tv_nsec);
}

// The same strokes on two maps, one with the journal on, in alternating blocks: the painting
// thread's CPU time of each side, paired so that drifts of the machine fall on both.
void BM_Stroke(benchmark::State& state) {
    EditedMap plain(bench_map());
    EditedMap journalled(bench_map());
    // Past 64 MiB the journal is rewritten as one map: hours of real strokes, seconds of
    // these; its cost is that of a save, measured elsewhere.
    JournalSession* session = journal_session_start(
        journalled, bench_map_path(), false, scratch_folder() + "/stroke.journal", uint64_t{1} << 34);
    double off_ns = 0, on_ns = 0;
    int n = 0;
    for (auto _ : state) {
        for (int side = 0; side < 2; ++side) {
            double start = thread_cpu_ns();
            for (int k = 0; k < 256; ++k)
                stroke(side ? journalled : plain, n + k);
            (side ? on_ns : off_ns) += thread_cpu_ns() - start;
        }
        n += 256;
    }
    state.counters["stroke_off_us"] = off_ns / 1e3 / n;
    state.counters["stroke_on_us"] = on_ns / 1e3 / n;
    state.counters["stroke_on_over_off"] = on_ns / off_ns;
    journal_session_end(session, journalled, true);
}
BENCHMARK(BM_Stroke)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The same stroke as the user makes it: the held button across 24 cells of a row (each cell
// seen on two ticks, the repeat rule) and its release, through the editor's mouse path with
// no frame drawn. The editor's open map is the plain or the journaled one in turn.
void BM_EditorStroke(benchmark::State& state) {
    Editor editor;
    app_bind(&editor);
    EditedMap plain = bench_map(), journalled = bench_map();
    JournalSession* session = journal_session_start(
        journalled, bench_map_path(), false, scratch_folder() + "/editor.journal", uint64_t{1} << 34);
    double off_ns = 0, on_ns = 0;
    int n = 0;
    for (auto _ : state) {
        for (int side = 0; side < 2; ++side) {
            std::swap(app().doc.map, side ? journalled : plain);
            double start = thread_cpu_ns();
            for (int k = 0; k < 64; ++k) {
                int32_t y = 300 + (n + k) % 64;
                app().selected_tile = 5 + ((n + k) / 64) % 2;
                for (int32_t x = 400; x < 424; ++x) {
                    editor_mouse(0, MOUSE_LEFT, x, y);
                    editor_mouse(0, MOUSE_LEFT, x, y);
                }
                editor_mouse(0, 0, 423, y);
            }
            (side ? on_ns : off_ns) += thread_cpu_ns() - start;
            std::swap(app().doc.map, side ? journalled : plain);
        }
        n += 64;
    }
    state.counters["editor_stroke_off_us"] = off_ns / 1e3 / n;
    state.counters["editor_stroke_on_us"] = on_ns / 1e3 / n;
    state.counters["editor_stroke_on_over_off"] = on_ns / off_ns;
    journal_session_end(session, journalled, true);
    app_bind(nullptr);
}
BENCHMARK(BM_EditorStroke)->Unit(benchmark::kMillisecond)->Repetitions(5);

// Record bytes against undo bytes over strokes, objects, region cells and region commands.
struct Sizes {
    double worst_over = -1e18, journal = 0, undo = 0;
    uint32_t steps = 0;
};

void measure(void* user, MapData* map, const EditStepView& step) {
    auto* s = static_cast<Sizes*>(user);
    std::vector<uint8_t> record;
    if (!journal_encode_step(map, step, &record)) s->worst_over = 1e18;
    s->worst_over = std::max(s->worst_over, double(record.size()) - double(step.undo_bytes));
    s->journal += double(record.size());
    s->undo += double(step.undo_bytes);
    ++s->steps;
}

void BM_JournalBytesPerStep(benchmark::State& state) {
    Sizes sizes;
    for (auto _ : state) {
        EditedMap map(bench_map());
        edit_set_observer(map, measure, &sizes);
        Region* region = edit_region_create(map, "Bench");
        for (int k = 0; k < 200; ++k) {
            edit_begin(map, "stroke");
            for (int32_t x = 0; x < 1 + k % 40; ++x)
                edit_paint(map, 100 + x, 100 + k, k % 7 == 0 ? 217 : 1 + k % 100);
            edit_end(map);
            edit_begin(map, "region stroke");
            for (int32_t x = 0; x < 1 + k % 30; ++x)
                edit_region_toggle(map, region, 100 + x, 100 + k);
            edit_end(map);
            if (k % 10 == 0) edit_set_attribute(map, "NAME", "bench");
            if (k % 25 == 0) edit_region_flag(map, region, "rBSE", k % 50 == 0);
            if (k % 3 == 0) edit_undo(map, nullptr);
            if (k % 6 == 0) edit_redo(map, nullptr);
        }
        edit_region_delete(map, region);
        edit_undo(map, nullptr);
    }
    state.counters["worst_journal_minus_undo_bytes"] = sizes.worst_over;
    state.counters["journal_bytes_per_step"] = sizes.journal / sizes.steps;
    state.counters["undo_bytes_per_step"] = sizes.undo / sizes.steps;
}
BENCHMARK(BM_JournalBytesPerStep)->Iterations(1)->Unit(benchmark::kMillisecond);

// Builds the map of a journal of 10,000 strokes of 1 to 32 cells.
void BM_Recover10000Steps(benchmark::State& state) {
    EditedMap map(bench_map());
    std::vector<uint8_t> file, base;
    mapdata_save_bytes(map, &base);
    journal_encode_header(JournalHeader{}, &file);
    journal_encode_map(JOURNAL_BASE, base, &file);
    edit_set_observer(
        map,
        [](void* user, MapData* m, const EditStepView& step) {
            (void)journal_encode_step(m, step, static_cast<std::vector<uint8_t>*>(user));
        },
        &file);
    // The pattern follows the strokes tried, not the steps made (a stroke that changes
    // nothing makes no step), and its tiles shift each time its places come round again.
    uint32_t steps = 0;
    for (uint32_t i = 0; steps < 10000; ++i) {
        edit_begin(map, "stroke");
        for (int32_t x = 0; x < 1 + static_cast<int32_t>(i % 32); ++x)
            edit_paint(map, 200 + x + i % 300, 200 + i % 500, 1 + (i + x + i / 1500) % 150);
        steps += static_cast<uint32_t>(edit_end(map));
    }
    for (auto _ : state) {
        JournalContents journal = journal_parse(file);
        std::string problem;
        EditedMap rebuilt(recovery_build_map(journal, &problem));
        if (!rebuilt || journal.steps() != steps) state.SkipWithError("recovery failed");
    }
    state.counters["journal_mib"] = double(file.size()) / (1 << 20);
}
BENCHMARK(BM_Recover10000Steps)->Unit(benchmark::kMillisecond)->Repetitions(3);

// The loss window: from the end of a stroke until the writer, at its own pace (nobody hurries
// it), has made the stroke durable on the disk of the scratch folder.
void BM_StepToDurable(benchmark::State& state) {
    EditedMap map(bench_map());
    JournalSession* session = journal_session_start(map, bench_map_path(), false,
                                                     scratch_folder() + "/durable.journal");
    double worst = 0;
    int n = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        edit_begin(map, "stroke");
        for (int32_t x = 400; x < 424; ++x)
            edit_paint(map, x, 300 + n % 64, 5 + (n / 64) % 2);
        edit_end(map);
        ++n;
        journal_session_flush(session, false);
        worst = std::max(worst, std::chrono::duration<double, std::milli>(
                                    std::chrono::steady_clock::now() - start)
                                    .count());
    }
    state.counters["worst_ms"] = worst;
    journal_session_end(session, map, true);
}
BENCHMARK(BM_StepToDurable)->Iterations(100)->UseRealTime()->Unit(benchmark::kMillisecond);

// The rewrite past the bound on a full map (every cell set, many objects): the whole map laid
// out on the painting thread, then written and made durable by the journal's thread.
void BM_SnapshotRewrite(benchmark::State& state) {
    EditedMap map(bench_map());
    for (int32_t y = 0; y < 1024; ++y)
        for (int32_t x = 0; x < 1024; ++x)
            tilegrid_put(map->tiles, x, y, static_cast<uint8_t>(1 + (x * 7 + y * 13) % 190));
    JournalWriter* writer = journal_writer_new(scratch_folder() + "/rewrite.journal");
    std::vector<uint8_t> base;
    mapdata_save_bytes(map, &base);
    journal_writer_begin(writer, JournalHeader{}, base, false);
    journal_writer_append(writer, {});
    journal_writer_flush(writer);
    double layout_ms = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        std::vector<uint8_t> whole;
        mapdata_save_bytes(map, &whole);
        layout_ms +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        state.counters["map_mib"] = double(whole.size()) / (1 << 20);
        journal_writer_rewrite(writer, std::move(whole));
        journal_writer_flush(writer);
    }
    state.counters["painting_thread_ms"] = layout_ms / double(state.iterations());
    journal_writer_free(writer, true);
}
BENCHMARK(BM_SnapshotRewrite)->Iterations(10)->UseRealTime()->Unit(benchmark::kMillisecond);

class BudgetReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (!single && !median) continue;
            std::string name = run.run_name.function_name + "/" + run.run_name.args;
            times[name] = run.GetAdjustedRealTime();
            cpu[name] = run.GetAdjustedCPUTime();
            for (const auto& [counter, value] : run.counters)
                counters[counter] = value.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times, cpu, counters;
};

void check(const char* what, double value, double limit, const char* unit) {
    std::printf("%-52s %10.3f %-4s (budget %.3f) %s\n", what, value, unit, limit,
                value <= limit ? "ok" : "OVER BUDGET");
}

} // namespace

int main(int argc, char** argv) {
    if (!std::freopen("/dev/null", "w", stderr)) return 1; // the reader's log, not the figures
    benchmark::Initialize(&argc, argv);
    BudgetReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::filesystem::remove_all(scratch_folder());
    auto& t = reporter.times;
    auto& c = reporter.counters;
    std::printf("\nBudgets (medians, ratios against baselines of this run):\n");
    if (c.count("stroke_on_over_off")) {
        // The painting thread's own time: the writes happen on the journal's thread.
        check("stroke: journal on / off (painting thread CPU)", c["stroke_on_over_off"], 1.1, "x");
        std::printf("%-52s %10.3f us (off %.3f us)\n", "stroke with the journal on",
                    c["stroke_on_us"], c["stroke_off_us"]);
    }
    if (c.count("editor_stroke_on_over_off")) {
        check("stroke through the editor: journal on / off", c["editor_stroke_on_over_off"], 1.1, "x");
        std::printf("%-52s %10.3f us (off %.3f us)\n", "editor stroke with the journal on",
                    c["editor_stroke_on_us"], c["editor_stroke_off_us"]);
    }
    if (c.count("worst_journal_minus_undo_bytes"))
        check("journal bytes beyond the undo record, worst step",
              c["worst_journal_minus_undo_bytes"], 64, "B");
    if (c.count("worst_ms"))
        std::printf("%-52s %10.3f ms (mean %.3f)\n", "loss window: stroke to durable, worst",
                    c["worst_ms"], t["BM_StepToDurable/"]);
    if (t.count("BM_Recover10000Steps/"))
        check("recovery of 10,000 steps", t["BM_Recover10000Steps/"], 1000, "ms");
    return 0;
}
