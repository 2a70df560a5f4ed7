// test_region.cpp - the rTIL decoder, the membership store and reading "REGN" chunks.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "region_test_util.h"

namespace {

// Decodes bytes into a fresh region "R" of a fresh map; returns the decoder's result.
struct Decoded {
    ScopedMap map;
    Region* region = nullptr;
    int valid = 0;
    explicit Decoded(std::vector<uint8_t> bytes) {
        region = add_region(map.map, "R");
        valid = region_decode_tiles(region, bytes.data(), static_cast<int32_t>(bytes.size()));
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

TEST(RegionDecode, LaterRtilAddsToEarlierCells) {
    // Cells of row 5, then a second rTIL copying the empty row 0 over every later row.
    ScopedMap map;
    read_region(map.map, concat({chunk("rNAM", text_bytes("Two")),
                                 chunk("rTIL", {0x84, 0x41, 0x23, 0xFD, 0xA3, 0xF9}),
                                 chunk("rTIL", {0x80, 0xE3, 0xFE})}));
    Region* region = mapdata_find_region(map.map, "Two");
    ASSERT_NE(region, nullptr);
    EXPECT_EQ(region_cells(region), (std::vector<int32_t>{5 * 1024, 5 * 1024 + 1}));
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

TEST(RegionDecode, GarbageNeverLeavesTheMapOrItsBytes) {
    std::mt19937 rng(7);
    ScopedMap map;
    Region* region = add_region(map.map, "R");
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> bytes(1 + rng() % 24);
        for (auto& b : bytes)
            b = static_cast<uint8_t>(rng());
        // The exact-size heap buffer lets the sanitizers catch any read past the end.
        region_decode_tiles(region, bytes.data(), static_cast<int32_t>(bytes.size()));
    }
    EXPECT_LE(mapdata_region_set_count(map.map), kRegionSetLimit);
}

TEST(RegionMembership, SharedCellsAndToggling) {
    ScopedMap map;
    Region* a = add_region(map.map, "A");
    Region* b = add_region(map.map, "B");
    region_add_tile(a, 10, 20);
    region_add_tile(b, 10, 20);
    region_add_tile(b, 11, 20);
    EXPECT_TRUE(region_contains(a, 10, 20));
    EXPECT_TRUE(region_contains(b, 10, 20));
    EXPECT_FALSE(region_contains(a, 11, 20));

    int32_t length = 0;
    uint8_t set = tilegrid_get(map->region_grid, 10, 20);
    Region* const* members = mapdata_region_set(map.map, set, &length);
    ASSERT_EQ(length, 2);
    EXPECT_EQ(members[0], a);
    EXPECT_EQ(members[1], b);

    // Toggling a shared cell of A empties it for both regions.
    region_toggle_tile(a, 10, 20);
    EXPECT_FALSE(region_contains(a, 10, 20));
    EXPECT_FALSE(region_contains(b, 10, 20));
    region_toggle_tile(a, 10, 20);
    EXPECT_TRUE(region_contains(a, 10, 20));
    EXPECT_FALSE(region_contains(b, 10, 20));

    // Membership reads wrap like every grid read; edits outside the map do nothing.
    EXPECT_TRUE(region_contains(a, 10 + 1024, 20 - 1024));
    region_add_tile(b, -1, 5);
    region_set_tile(a, 10 + 1024, 20, 0);
    EXPECT_FALSE(region_contains(b, 1023, 5));
    EXPECT_TRUE(region_contains(a, 10, 20));
    EXPECT_EQ(region_contains(nullptr, 0, 0), 0);
}

TEST(RegionMembership, OverlapLimitWarnsAndReusesExistingCombinations) {
    ScopedMap map;
    std::vector<Region*> regions;
    for (int i = 0; i < 256; ++i)
        regions.push_back(add_region(map.map, "r" + std::to_string(i)));
    for (int i = 0; i < 255; ++i)
        region_add_tile(regions[i], i, 0);
    EXPECT_EQ(mapdata_region_set_count(map.map), 255);

    testing::internal::CaptureStderr();
    region_add_tile(regions[255], 0, 1);
    region_add_tile(regions[1], 0, 0); // {r0} then r1 is a new combination too
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log, "W <mapdata> overlap limit reached. some region data will be lost.\n"
                   "W <mapdata> overlap limit reached. some region data will be lost.\n");
    EXPECT_FALSE(region_contains(regions[255], 0, 1));
    EXPECT_TRUE(region_contains(regions[0], 0, 0));
    EXPECT_FALSE(region_contains(regions[1], 0, 0));

    testing::internal::CaptureStderr();
    region_add_tile(regions[3], 500, 500);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(region_contains(regions[3], 500, 500));
    EXPECT_EQ(tilegrid_get(map->region_grid, 500, 500), tilegrid_get(map->region_grid, 3, 0));

    // A whole rTIL at the limit warns once.
    testing::internal::CaptureStderr();
    const uint8_t full_row[] = {0x63, 0xFF, 0xE3, 0xFE}; // every cell of the map
    EXPECT_EQ(region_decode_tiles(regions[255], full_row, 4), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "W <mapdata> overlap limit reached. some region data will be lost.\n");
    EXPECT_TRUE(region_cells(regions[255]).empty());
}

// The set search of the membership store, written out the slow way.
struct NaiveStore {
    std::vector<std::vector<int>> sets{{}};
    std::vector<uint8_t> grid = std::vector<uint8_t>(64, 0);
    void add(int cell, int region) {
        std::vector<int> want = sets[grid[cell]];
        want.push_back(region);
        auto found = std::find(sets.begin() + 1, sets.end(), want);
        if (found == sets.end() && sets.size() == 256) return;
        if (found == sets.end()) found = sets.insert(sets.end(), want);
        grid[cell] = static_cast<uint8_t>(found - sets.begin());
    }
};

TEST(RegionMembership, CachedSetSearchMatchesAFullSearch) {
    ScopedMap map;
    std::vector<Region*> regions;
    for (int i = 0; i < 5; ++i)
        regions.push_back(add_region(map.map, "r" + std::to_string(i)));
    NaiveStore naive;
    std::mt19937 rng(11);
    testing::internal::CaptureStderr();
    for (int step = 0; step < 4000; ++step) {
        int cell = static_cast<int>(rng() % 64);
        int r = static_cast<int>(rng() % 5);
        if (rng() % 8 == 0) {
            region_set_tile(regions[r], cell % 8, cell / 8, 0);
            naive.grid[cell] = 0;
        } else {
            region_add_tile(regions[r], cell % 8, cell / 8);
            naive.add(cell, r);
        }
    }
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(mapdata_region_set_count(map.map), 255);
    for (int cell = 0; cell < 64; ++cell)
        ASSERT_EQ(tilegrid_get(map->region_grid, cell % 8, cell / 8), naive.grid[cell]);
    for (int k = 1; k < 256; ++k) {
        int32_t length = 0;
        Region* const* members = mapdata_region_set(map.map, k, &length);
        ASSERT_EQ(static_cast<size_t>(length), naive.sets[k].size());
        for (int i = 0; i < length; ++i)
            ASSERT_EQ(members[i], regions[naive.sets[k][i]]);
        // The mask invariant: bit k set exactly for the regions set k lists.
        for (int r = 0; r < 5; ++r) {
            bool listed = std::count(naive.sets[k].begin(), naive.sets[k].end(), r) > 0;
            ASSERT_EQ(((regions[r]->mask[k >> 5] >> (k & 31)) & 1u) != 0, listed);
        }
    }
}

TEST(RegionRead, NamesAndSubChunks) {
    ScopedMap map;
    // rTIL without rNAM: nothing at all.
    read_region(map.map, chunk("rTIL", {0x63, 0xFF, 0xA3, 0xFE}));
    EXPECT_EQ(map->regions, nullptr);
    EXPECT_EQ(map->region_grid, nullptr);

    // rNAM only: a region with no cells, listed all the same.
    read_region(map.map, chunk("rNAM", text_bytes("Base")));
    read_region(map.map, chunk("rNAM", {}));
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
    read_region(map.map,
                concat({chunk("rNAM", text_bytes(long_name)), chunk("rNAM", text_bytes("second")),
                        chunk("rCOL", {1, 2, 3}), chunk("RNAM", text_bytes("x")),
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

    // A mangled chunk area still yields what was read before the fault.
    testing::internal::CaptureStderr();
    auto cut = concat({chunk("rNAM", text_bytes("Cut")), chunk("rTIL", {0xA3, 0xFF})});
    cut.resize(cut.size() - 3);
    read_region(map.map, cut);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "W <mapdata> error in lvl while reading region chunks\n");
    EXPECT_NE(mapdata_find_region(map.map, "cut"), nullptr);

    testing::internal::CaptureStderr();
    add_region(map.map, "Bad", {0xC0});
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "W <mapdata> error in lvl file while reading rle tile data\n");
}

TEST(RegionRead, TwoRegionsOfOneNameAndClearing) {
    ScopedMap map;
    Region* first = add_region(map.map, "Same", {0x40, 0x23, 0xFE, 0xA3, 0xFE});
    add_region(map.map, "same", {0x00, 0x40, 0x23, 0xFD, 0xA3, 0xFE});
    EXPECT_EQ(map->regions->count, 2);
    EXPECT_EQ(mapdata_find_region(map.map, "SAME"), first);
    map->selected_region = first;
    mapdata_clear_regions(map.map);
    EXPECT_EQ(map->regions, nullptr);
    EXPECT_EQ(map->region_grid, nullptr);
    EXPECT_EQ(map->region_sets, nullptr);
    EXPECT_EQ(map->selected_region, nullptr);
}

} // namespace
