// test_region.cpp - the rTIL decoder and reading "REGN" chunks.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "map/lvl/region_codec.h"
#include "test_util.h"

namespace {

// Decodes bytes into a fresh region "R" of a fresh map; returns the decoder's result.
struct Decoded {
    ScopedMap map;
    Region* region = nullptr;
    int valid = 0;
    explicit Decoded(std::vector<uint8_t> bytes) {
        region = add_region(map.map, "R");
        valid = decode_rtil(region, bytes);
    }
};

TEST(RegionDecode, ByteSequencesOfTheRunCode) {
    // Bytes, validity and the cells kept, even from invalid data up to its fault.
    const struct {
        std::vector<uint8_t> bytes;
        int valid;
        size_t cells;
    } cases[] = {{{0xA3, 0xFF}, 1, 0},
                 {{0xA0, 0x00, 0xA3, 0xFE}, 1, 0},
                 {{0x42, 0x23, 0xFC, 0xE3, 0xFE}, 1, 3072},
                 {{0x63, 0xFF, 0xA3, 0xFE}, 1, 1024},
                 {{0x63, 0xFF}, 0, 1024},
                 {{0xC0}, 0, 0},             // a repeat in row 0
                 {{0x42, 0x7F}, 0, 3},       // the second byte is missing
                 {{0xA3, 0xFF, 0x00}, 0, 0}, // a byte left after the last row
                 {{0x40, 0xA3, 0xFE}, 0, 1}, // kind 2 after one cell
                 {{0xA3, 0xFE}, 0, 0},       // too few rows
                 {{}, 0, 0}};
    for (const auto& c : cases) {
        Decoded d(c.bytes);
        EXPECT_EQ(d.valid, c.valid) << testing::PrintToString(c.bytes);
        EXPECT_EQ(region_cells(d.region).size(), c.cells) << testing::PrintToString(c.bytes);
    }
    Decoded columns({0x42, 0x23, 0xFC, 0xE3, 0xFE});
    for (int32_t y : {0, 1, 511, 1023}) {
        EXPECT_TRUE(region_contains(columns.region, 2, y));
        EXPECT_FALSE(region_contains(columns.region, 3, y));
    }
    EXPECT_EQ(region_cells(Decoded({0x42, 0x7F}).region), (std::vector<int32_t>{0, 1, 2}));
}

TEST(RegionDecode, CellsPastTheMapEdgeAreNeverAdded) {
    // Skip 1,020 cells, then 8 region cells: only columns 1,020 to 1,023 exist.
    Decoded past_column({0x23, 0xFB, 0x47});
    EXPECT_EQ(past_column.valid, 0);
    EXPECT_EQ(region_cells(past_column.region), (std::vector<int32_t>{1020, 1021, 1022, 1023}));

    // Skip 1,022 rows, three cells in row 1,022, then copy it twice: row 1,024 does not exist.
    Decoded past_row({0xA3, 0xFD, 0x42, 0x23, 0xFC, 0xC1});
    EXPECT_EQ(past_row.valid, 0);
    EXPECT_TRUE(region_contains(past_row.region, 0, 1023));
    EXPECT_FALSE(region_contains(past_row.region, 0, 0));
    EXPECT_EQ(region_cells(past_row.region).size(), 6u);
}

TEST(RegionRead, NamesAndSubChunks) {
    ScopedMap map;
    // rTIL without rNAM: nothing at all.
    read_regn(map.map, chunk("rTIL", {0x63, 0xFF, 0xA3, 0xFE}));
    EXPECT_EQ(map->region_order.head, nullptr);
    EXPECT_EQ(map->region_grid, nullptr);

    // rNAM only: a region with no cells, listed all the same.
    read_regn(map.map, chunk("rNAM", bytes("Base")));
    read_regn(map.map, chunk("rNAM", {}));
    Region* base = mapdata_find_region(map.map, "BASE");
    ASSERT_NE(base, nullptr);
    EXPECT_STREQ(region_name(base), "Base");
    ASSERT_NE(mapdata_find_region(map.map, ""), nullptr);
    EXPECT_EQ(mapdata_find_region(map.map, "Nowhere"), nullptr);
    int listed = 0;
    auto count = [](void* user, Region*) { ++*static_cast<int*>(user); };
    mapdata_for_each_region(map.map, count, &listed);
    EXPECT_EQ(listed, 2);

    // The first rNAM names the region; other types stay, case of the type included.
    std::string long_name(40, 'n');
    read_regn(map.map, concat({chunk("rNAM", bytes(long_name)), chunk("rNAM", bytes("second")),
                               chunk("rCOL", {1, 2, 3}), chunk("RNAM", bytes("x")),
                               chunk("rTIL", {0x40, 0x23, 0xFE, 0xA3, 0xFE})}));
    Region* named = mapdata_find_region(map.map, long_name.c_str());
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(std::string(region_name(named)), long_name);
    EXPECT_EQ(mapdata_find_region(map.map, "second"), nullptr);
    EXPECT_EQ(named->subchunks->count, 2);
    EXPECT_NE(hash_get(named->subchunks, "rCOL"), nullptr);
    EXPECT_TRUE(region_contains(named, 0, 0));
    listed = 0;
    mapdata_for_each_region(map.map, count, &listed);
    EXPECT_EQ(listed, 3);
}

TEST(RegionRead, TwoRegionsOfOneNameAndClearing) {
    ScopedMap map;
    Region* first = add_region(map.map, "Same", {0x40, 0x23, 0xFE, 0xA3, 0xFE});
    add_region(map.map, "same", {0x00, 0x40, 0x23, 0xFD, 0xA3, 0xFE});
    EXPECT_EQ(list_count(&map->region_order), 2u);
    EXPECT_EQ(mapdata_find_region(map.map, "SAME"), first);
    mapdata_clear_regions(map.map);
    EXPECT_EQ(map->region_order.head, nullptr);
    EXPECT_EQ(map->region_grid, nullptr);
    EXPECT_EQ(map->region_sets, nullptr);
}

} // namespace
