// test_region_files.cpp - region edits and many overlapping regions through save and load.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "map/level.h"
#include "region_test_util.h"

namespace {

// Saves the map in memory, reads the bytes into a fresh map and compares their regions.
void expect_regions_saved(MapData* map) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(mapdata_save_bytes(map, &bytes), MAPDATA_SAVE_OK);
    ScopedMap back;
    mapdata_read_bytes(back.map, bytes, LevelReadOptions{false, false});
    EXPECT_LT(mapdata_region_set_count(back.map), kRegionSetLimit);
    expect_same_regions(map, back.map);
}

TEST(RegionFiles, EditsAreSaved) {
    std::string path = std::string(OSTREL_TESTDATA) + "/duelpub.lvl";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "test map missing: " << path;
    std::ifstream in(path, std::ios::binary);
    ScopedMap map;
    mapdata_read_bytes(map.map, std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}),
                       LevelReadOptions{false, false});
    auto regions = all_regions(map.map);
    ASSERT_FALSE(regions.empty());
    Region* region = regions.front();
    region_toggle_tile(region, 0, 0);
    region_toggle_tile(region, 1023, 1023);
    int32_t kept = region_cells(region).front();
    region_toggle_tile(region, kept % 1024, kept / 1024);
    expect_regions_saved(map.map);
}

TEST(RegionFiles, GeneratedMapWithManyOverlappingRegions) {
    ScopedMap map;
    mapdata_make_default(map.map, false);
    std::mt19937 rng(21);
    for (int i = 0; i < 48; ++i) {
        std::string name = "Area " + std::to_string(i);
        std::vector<uint8_t> extra = {static_cast<uint8_t>(i), 1, 2};
        read_regn(map.map, concat({chunk("rNAM", bytes(name)), chunk("rCOL", extra)}));
        Region* r = mapdata_find_region(map.map, name.c_str());
        int32_t x0 = rng() % 700, y0 = rng() % 700, w = 1 + rng() % 80, h = 1 + rng() % 80;
        for (int32_t y = y0; y < y0 + h; ++y)
            for (int32_t x = x0; x < x0 + w; x += 1 + (i % 3))
                region_add_tile(r, x, y);
        region_add_tile(r, (i * 37) % 1024, 1023);
    }
    ASSERT_LT(mapdata_region_set_count(map.map), kRegionSetLimit);
    expect_regions_saved(map.map);
}

} // namespace
