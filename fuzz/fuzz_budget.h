// fuzz_budget.h - the one region decoding budget every fuzz target reads with: small enough
// that any input stays fast under the sanitizers, so libFuzzer's -timeout only catches other
// slow paths.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "map/lvl/level.h"
#include "map/model/mapdata.h"

inline constexpr uint64_t kFuzzRegionBudget = uint64_t{8} << 20;

// Read options of every target: no tileset copy, no report, the lowered budget.
inline LevelReadOptions fuzz_read_options(LevelReport* report = nullptr) {
    return LevelReadOptions{false, report, kFuzzRegionBudget};
}

// A fresh map whose rTIL decoding (reads, chunk handlers, journal steps) takes the lowered budget.
inline MapData* fuzz_new_map() {
    MapData* map = mapdata_new();
    map->decode_budget = kFuzzRegionBudget;
    return map;
}

// The reader's log goes to /dev/null unless OSTREL_FUZZ_LOG is set: millions of inputs would
// bury libFuzzer's own report. Returns 0 for LLVMFuzzerInitialize.
inline int fuzz_quiet_log() {
    if (!std::getenv("OSTREL_FUZZ_LOG"))
        if (std::FILE* null = std::fopen("/dev/null", "w")) stderr = null;
    return 0;
}
