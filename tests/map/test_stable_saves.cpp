// Saves that are stable byte for byte: save, save again, reload and save once more give the
// same file, with regions and attributes in the order the file had them.
#include <gtest/gtest.h>

#include "map/lvl/level.h"
#include "test_util.h"

namespace {

// The chunks of a saved file's elvl block, each as its type followed by its data.
std::vector<std::string> saved_chunks(const Bytes& file) {
    std::vector<std::string> chunks;
    uint32_t at = get_u16(file, 6), end = at + get_u32(file, at + 4);
    for (at += 12; at + 8 <= end;) {
        uint32_t length = get_u32(file, at + 4);
        chunks.emplace_back(file.begin() + at, file.begin() + at + 8 + length);
        chunks.back().erase(4, 4);
        at += 8 + ((length + 3) & ~3u);
    }
    return chunks;
}

// Saves the map twice, reloads the file and saves that: all three must be the same bytes.
Bytes expect_stable(MapData* map) {
    Bytes first, second, third;
    EXPECT_EQ(mapdata_save_bytes(map, &first), MAPDATA_SAVE_OK);
    EXPECT_EQ(mapdata_save_bytes(map, &second), MAPDATA_SAVE_OK);
    MapData* back = parse(first);
    expect_same_regions(map, back);
    EXPECT_EQ(mapdata_save_bytes(back, &third), MAPDATA_SAVE_OK);
    mapdata_free(back);
    EXPECT_TRUE(first == second);
    EXPECT_TRUE(first == third);
    return first;
}

// 85 groups of three regions use all 255 region sets when read A, B, C (A's cells 0 to 2,
// B's cell 1, C's cell 2), but five sets per group in any order with A after B or C: a save
// that changed the order would lose cells on reload.
TEST(StableSave, RegionsAtTheSetLimitKeepTheirOrder) {
    ScopedMap map;
    mapdata_make_default(map.map);
    for (int32_t g = 0; g < 85; ++g) {
        const int32_t starts[3] = {0, 1, 2}, counts[3] = {3, 1, 1};
        for (int32_t i = 0; i < 3; ++i) {
            // Names whose table order differs from the order they were made in.
            std::string name = std::string(1, static_cast<char>('A' + i)) + std::to_string(g * 7);
            Region* region = mapdata_add_region(map.map, name.c_str());
            EXPECT_EQ(region_add_run(region, starts[i], g, counts[i]), 0);
        }
    }
    ASSERT_EQ(mapdata_region_set_count(map.map), 255);
    Bytes file = expect_stable(map.map);
    std::vector<std::string> names;
    for (const std::string& c : saved_chunks(file))
        if (c.compare(0, 4, "REGN") == 0) names.push_back(c.substr(12, static_cast<uint8_t>(c[8])));
    ASSERT_EQ(names.size(), 255u);
    EXPECT_EQ(names[0], "A0");
    EXPECT_EQ(names[4], "B7");
    EXPECT_EQ(names[254], "C588");
}

// Removing attributes can leave the table larger than a reload makes it; the saved order is
// the reload's, so the reloaded map saves the same bytes.
TEST(StableSave, AttributesAfterRemovalsKeepTheirOrder) {
    const int32_t cases[][2] = {{13, 1}, {60, 45}, {12, 0}};
    for (const auto& [added, removed] : cases) {
        ScopedMap map;
        mapdata_make_default(map.map);
        map->attributes = hash_create();
        std::vector<char*> values;
        for (int32_t i = 0; i < added; ++i) {
            values.push_back(strdup(("value" + std::to_string(i)).c_str()));
            hash_add(map->attributes, ("KEY" + std::to_string(i * 37)).c_str(), values.back());
        }
        for (int32_t i = 0; i < removed; ++i) {
            hash_remove(map->attributes, ("KEY" + std::to_string(i * 37)).c_str(), values[i]);
            free(values[i]);
        }
        Bytes file = expect_stable(map.map); // the map releases the rest of the values
        EXPECT_EQ(saved_chunks(file).size(), static_cast<size_t>(added - removed)) << added;
    }
}

} // namespace
