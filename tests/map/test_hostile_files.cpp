// Hostile level files: region data past the decode budget is cut; a FIFO is never waited on.
#include <gtest/gtest.h>

#include "core/platform.h"
#include "map/lvl/level.h"
#include "test_util.h"

#include <sys/stat.h>

namespace {

// "REGN" data naming a region r with rtils copies of an rTIL that fills the whole map.
Bytes filling_region(int32_t rtils) {
    Bytes data = chunk("rNAM", {'r'});
    for (int32_t i = 0; i < rtils; ++i) {
        Bytes til = chunk("rTIL", {0x63, 0xFF, 0xE3, 0xFE});
        data.insert(data.end(), til.begin(), til.end());
    }
    return data;
}

TEST(HostileFile, RegionDataPastTheBudgetIsCut) {
    // Each fill costs 1,024 cells and a run for row 0, then the row read and 1,023 copies.
    const uint64_t fill = 1024 + 4 + 1024 + (1024 + 4) * 1023;
    const struct {
        int32_t rtils;
        uint64_t budget;
        bool cut;
        int32_t sets; // one per rTIL whose first row was paid for
    } cases[] = {{3, 3 * fill, false, 3}, {3, 3 * fill - 1, true, 3}, {40, 2 * fill, true, 2}};
    for (const auto& c : cases) {
        region_set_decode_budget(c.budget);
        ScopedMap map;
        Quiet quiet;
        read_regn(map.map, filling_region(c.rtils));
        EXPECT_EQ(mapdata_region_data_cut(map.map), c.cut) << c.rtils;
        EXPECT_EQ(mapdata_region_set_count(map.map), c.sets) << c.rtils;
        EXPECT_EQ(region_cells(mapdata_find_region(map.map, "r")).size(), 1024u * 1024u);
    }
    region_set_decode_budget(kRegionDecodeBudget);
}

// Nobody writes to the FIFO: the open must refuse it, not block.
TEST_F(ScratchDir, FifoIsRefusedWithoutBlocking) {
    ASSERT_EQ(mkfifo("pipe.lvl", 0600), 0);
    int error = 0;
    EXPECT_EQ(mapdata_open("pipe.lvl", &error), nullptr);
    EXPECT_EQ(error, FILE_NOT_REGULAR);
}

} // namespace
