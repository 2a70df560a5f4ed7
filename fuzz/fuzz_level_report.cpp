// fuzz_level_report.cpp - the read that fills a report must build the same map as the plain
// read: arbitrary bytes are read both ways, and both maps must hold the same cells and objects
// and save to the same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "fuzz/fuzz_budget.h"
#include "core/log.h"
#include "map/lvl/level.h"
#include "map/lvl/level_report.h"
#include "map/model/mapdata.h"
#include "map/model/tilegrid.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) { return fuzz_quiet_log(); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> bytes(data, size);
    LevelLosses plain_losses, reported_losses;
    MapData* plain = mapdata_new();
    mapdata_read_bytes(plain, bytes, fuzz_read_options(nullptr, &plain_losses));
    LevelReport report;
    MapData* reported = mapdata_new();
    mapdata_read_bytes(reported, bytes, fuzz_read_options(&report, &reported_losses));
    std::vector<uint8_t> a, b;
    if (mapdata_save_bytes(plain, &a) != mapdata_save_bytes(reported, &b) || a != b) std::abort();
    if (plain_losses.tile_records != reported_losses.tile_records ||
        report.rejected_records != reported_losses.tile_records)
        std::abort();
    // The same cells, fillers included (a save leaves those out), and the same objects.
    size_t cells[2] = {};
    const MapData* maps[2] = {plain, reported};
    for (int i = 0; i < 2; ++i)
        if (maps[i]->tiles)
            tilegrid_for_each_set(maps[i]->tiles, [&](int32_t x, int32_t y, uint8_t value) {
                ++cells[i];
                if (mapdata_get_tile(maps[1 - i], x, y) != value) std::abort();
            });
    if (cells[0] != cells[1] || plain->stamps.count != reported->stamps.count) std::abort();
    // Every offset lies inside the file.
    for (const LevelProblem& p : report.problems)
        if (p.offset >= static_cast<int64_t>(size)) std::abort();
    mapdata_free(reported);
    mapdata_free(plain);
    return 0;
}
