// fuzz_budget.h - the one region decoding budget every fuzz target reads with: small enough
// that any input stays fast under the sanitizers, so libFuzzer's -timeout only catches other
// slow paths.
#pragma once
#include <cstdint>

#include "map/model/region.h"

inline constexpr uint64_t kFuzzRegionBudget = uint64_t{8} << 20;

inline void fuzz_lower_region_budget() {
    region_set_decode_budget(kFuzzRegionBudget);
}
