// fuzz_level_report.cpp - the read that fills a report must build the same map as the plain
// read: arbitrary bytes are read both ways and both maps are saved and compared byte for byte.
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
    // Every offset lies inside the file.
    for (const LevelProblem& p : report.problems)
        if (p.offset >= static_cast<int64_t>(size)) std::abort();
    mapdata_free(reported);
    mapdata_free(plain);
    return 0;
}
