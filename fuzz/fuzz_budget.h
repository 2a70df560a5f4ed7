// fuzz_budget.h - the one region decoding budget every fuzz target reads with: small enough
// that any input stays fast under the sanitizers, so libFuzzer's -timeout only catches other
// slow paths.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "map/lvl/level.h"
#include "map/lvl/level_reading.h"
#include "map/model/mapdata.h"

inline constexpr uint64_t kFuzzRegionBudget = uint64_t{8} << 20;

// Read options of every target: no tileset copy, no report, the lowered budget.
inline LevelReadOptions fuzz_read_options(LevelReport* report = nullptr,
                                          LevelLosses* losses = nullptr) {
    return LevelReadOptions{false, report, kFuzzRegionBudget, losses};
}

// A read into map for the chunk handlers and the rTIL decoder, with the lowered budget.
inline LevelReading fuzz_reading(MapData* map) {
    LevelReading reading{map};
    reading.decode_budget = kFuzzRegionBudget;
    return reading;
}

// The reader's log goes to /dev/null unless OSTREL_FUZZ_LOG is set: millions of inputs would
// bury libFuzzer's own report. Returns 0 for LLVMFuzzerInitialize.
inline int fuzz_quiet_log() {
    if (!std::getenv("OSTREL_FUZZ_LOG"))
        if (std::FILE* null = std::fopen("/dev/null", "w")) stderr = null;
    return 0;
}
