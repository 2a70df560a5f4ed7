// test_roundtrip.cpp - real zone maps keep every tile, attribute and kept chunk through a save.
#include "map_test_util.h"

#include "map/elvl.h"

using namespace maptest;

namespace {

struct Entry {
    std::string key;
    std::string value;
    bool operator==(const Entry&) const = default;
};

std::vector<Entry> attributes_of(MapData* map) {
    std::vector<Entry> out;
    if (!map->attributes) return out;
    hash_filter(
        map->attributes,
        [](const char* key, void* value, void* user) {
            static_cast<std::vector<Entry>*>(user)->push_back({key, static_cast<char*>(value)});
            return 0;
        },
        &out);
    return out;
}

std::vector<Entry> kept_of(MapData* map) {
    std::vector<Entry> out;
    if (!map->kept_chunks) return out;
    hash_filter(
        map->kept_chunks,
        [](const char* key, void* copy, void* user) {
            auto* bytes = static_cast<const char*>(copy);
            static_cast<std::vector<Entry>*>(user)->push_back(
                {key, std::string(bytes, 8 + elvl_chunk_length(copy))});
            return 0;
        },
        &out);
    return out;
}

class RealMaps : public ScratchDir {};

TEST_F(RealMaps, LoadSaveLoadKeepsTilesAttributesAndKeptChunks) {
    std::filesystem::path folder = OSTREL_TESTDATA;
    if (!std::filesystem::is_directory(folder))
        GTEST_SKIP() << "no real maps: " << folder << " is absent";
    int maps = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".lvl") continue;
        SCOPED_TRACE(entry.path().string());
        ++maps;
        MapData* first = mapdata_load(entry.path().c_str());
        ASSERT_STRNE(first->name, "<default>");
        ASSERT_EQ(mapdata_save(first, "saved.lvl"), MAPDATA_SAVE_OK);
        MapData* second = mapdata_load("saved.lvl");
        int differences = 0, tiles = 0;
        for (int y = 0; y < 1024; ++y) {
            for (int x = 0; x < 1024; ++x) {
                int a = mapdata_get_tile(first, x, y), b = mapdata_get_tile(second, x, y);
                tiles += a != 0;
                differences += a != b;
            }
        }
        EXPECT_GT(tiles, 0);
        EXPECT_EQ(differences, 0);
        EXPECT_EQ(second->error_count, 0u);
        EXPECT_EQ(attributes_of(first), attributes_of(second));
        EXPECT_EQ(kept_of(first), kept_of(second));
        EXPECT_EQ(first->tileset_length, second->tileset_length);
        EXPECT_EQ(
            std::memcmp(first->tileset + 14, second->tileset + 14, first->tileset_length - 14), 0);
        // A second save of the reloaded map gives the same file.
        Bytes once, twice;
        mapdata_save_bytes(first, &once);
        mapdata_save_bytes(second, &twice);
        EXPECT_TRUE(once == twice);
        mapdata_free(second);
        mapdata_free(first);
    }
    EXPECT_GT(maps, 0);
}

} // namespace
