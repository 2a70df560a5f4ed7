// test_region_files.cpp - regions of real and generated level files through save and load.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>

#include "map/level.h"
#include "region_test_util.h"

namespace {

constexpr LevelReadOptions kParseOnly{false, false};

std::vector<uint8_t> file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), {});
}

// Kept sub-chunks of a region by type, each type's copies in table order.
std::map<std::string, std::vector<std::vector<uint8_t>>> kept_subchunks(const Region* region) {
    std::map<std::string, std::vector<std::vector<uint8_t>>> kept;
    const HashTable* table = region->subchunks;
    for (int32_t i = 0; i <= table->mask; ++i)
        for (HashEntry* e = table->buckets[i]; e; e = e->next) {
            auto* p = static_cast<const uint8_t*>(e->value);
            kept[hash_entry_key(e)].emplace_back(p, p + 8 + elvl_chunk_length(p));
        }
    return kept;
}

std::vector<Region*> all_regions(const MapData* map) {
    std::vector<Region*> regions;
    if (!map->regions) return regions;
    for (int32_t i = 0; i <= map->regions->mask; ++i)
        for (HashEntry* e = map->regions->buckets[i]; e; e = e->next)
            regions.push_back(static_cast<Region*>(e->value));
    return regions;
}

// Every region of a comes back in b with its name, cells and kept sub-chunks.
void expect_same_regions(const MapData* a, const MapData* b) {
    auto before = all_regions(a), after = all_regions(b);
    ASSERT_EQ(before.size(), after.size());
    for (const Region* r : before) {
        const Region* r2 = mapdata_find_region(b, region_name(r));
        ASSERT_NE(r2, nullptr) << region_name(r);
        EXPECT_STREQ(region_name(r2), region_name(r));
        EXPECT_EQ(region_cells(r2), region_cells(r)) << region_name(r);
        EXPECT_EQ(kept_subchunks(r2), kept_subchunks(r)) << region_name(r);
    }
}

// Saves the map in memory and reads the bytes into a fresh map.
MapData* save_and_reload(MapData* map) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(mapdata_save_bytes(map, &bytes), MAPDATA_SAVE_OK);
    MapData* back = mapdata_new();
    mapdata_read_bytes(back, bytes, kParseOnly);
    return back;
}

void expect_file_round_trip(const char* name, size_t regions,
                            const std::vector<std::string>& kept_types) {
    std::string path = std::string(OSTREL_TESTDATA) + "/" + name;
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "test map missing: " << path;
    auto bytes = file_bytes(path);
    ScopedMap map;
    mapdata_read_bytes(map.map, bytes, kParseOnly);
    auto found = all_regions(map.map);
    ASSERT_EQ(found.size(), regions);
    for (const Region* r : found) {
        EXPECT_FALSE(region_cells(r).empty()) << region_name(r);
        auto kept = kept_subchunks(r);
        for (const auto& type : kept_types)
            EXPECT_EQ(kept.count(type), 1u) << region_name(r);
    }
    MapData* back = save_and_reload(map.map);
    expect_same_regions(map.map, back);
    // A second generation is byte for byte the first.
    std::vector<uint8_t> first, second;
    mapdata_save_bytes(map.map, &first);
    mapdata_save_bytes(back, &second);
    EXPECT_EQ(first, second);
    mapdata_free(back);
}

TEST(RegionFiles, DuelpubKeepsItsRegions) {
    expect_file_round_trip("duelpub.lvl", 4, {"rCOL"});
}

TEST(RegionFiles, SmallmapeKeepsItsRegion) {
    expect_file_round_trip("smallmape.lvl", 1, {"rAWP", "rCOL"});
}

TEST(RegionFiles, EditsAreSaved) {
    std::string path = std::string(OSTREL_TESTDATA) + "/duelpub.lvl";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "test map missing: " << path;
    ScopedMap map;
    mapdata_read_bytes(map.map, file_bytes(path), kParseOnly);
    auto regions = all_regions(map.map);
    ASSERT_FALSE(regions.empty());
    Region* region = regions.front();
    region_toggle_tile(region, 0, 0);
    region_toggle_tile(region, 1023, 1023);
    int32_t kept = region_cells(region).front();
    region_toggle_tile(region, kept % 1024, kept / 1024);
    MapData* back = save_and_reload(map.map);
    expect_same_regions(map.map, back);
    mapdata_free(back);
}

TEST(RegionFiles, GeneratedMapWithManyOverlappingRegions) {
    ScopedMap map;
    mapdata_make_default(map.map, false);
    std::mt19937 rng(21);
    for (int i = 0; i < 48; ++i) {
        std::string name = "Area " + std::to_string(i);
        std::vector<uint8_t> extra = {static_cast<uint8_t>(i), 1, 2};
        read_region(map.map, concat({chunk("rNAM", text_bytes(name)), chunk("rCOL", extra)}));
        Region* r = mapdata_find_region(map.map, name.c_str());
        int32_t x0 = rng() % 700, y0 = rng() % 700, w = 1 + rng() % 80, h = 1 + rng() % 80;
        for (int32_t y = y0; y < y0 + h; ++y)
            for (int32_t x = x0; x < x0 + w; x += 1 + (i % 3))
                region_add_tile(r, x, y);
        region_add_tile(r, (i * 37) % 1024, 1023);
    }
    ASSERT_LT(mapdata_region_set_count(map.map), kRegionSetLimit);
    MapData* back = save_and_reload(map.map);
    EXPECT_LT(mapdata_region_set_count(back), kRegionSetLimit);
    expect_same_regions(map.map, back);
    mapdata_free(back);
}

} // namespace
