// test_roundtrip.cpp - real zone maps keep every tile, attribute, kept chunk and region when saved.
#include "test_util.h"

#include "map/lvl/level.h"
#include "map/lvl/elvl.h"

namespace {

// Key and value (or chunk bytes) of every entry of a table of strings or chunk copies.
using Entries = std::vector<std::pair<std::string, std::string>>;
Entries entries_of(HashTable* table, bool chunks) {
    Entries out;
    if (!table) return out;
    for (int32_t i = 0; i <= table->mask; ++i)
        for (HashEntry* e = table->buckets[i]; e; e = e->next) {
            auto* p = static_cast<const char*>(e->value);
            out.emplace_back(hash_entry_key(e),
                             chunks ? std::string(p, 8 + elvl_chunk_length(e->value)) : p);
        }
    return out;
}

class RealMaps : public ScratchDir {};

TEST_F(RealMaps, LoadSaveLoadKeepsTilesAttributesKeptChunksAndRegions) {
    std::filesystem::path folder = OSTREL_TESTDATA;
    if (!std::filesystem::is_directory(folder))
        GTEST_SKIP() << "no real maps: " << folder << " is absent";
    // What the shared maps hold (regions, their sub-chunks) is checked by `ostrel-lvl info`.
    int maps = 0, regional = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".lvl") continue;
        SCOPED_TRACE(entry.path().string());
        ++maps;
        MapData* first = mapdata_load(entry.path().c_str());
        ASSERT_STRNE(first->name, "<default>");
        regional += !all_regions(first).empty();
        ASSERT_EQ(mapdata_save(first, "saved.lvl").result, MAPDATA_SAVE_OK);
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
        EXPECT_EQ(entries_of(first->attributes, false), entries_of(second->attributes, false));
        EXPECT_EQ(entries_of(first->kept_chunks, true), entries_of(second->kept_chunks, true));
        expect_same_regions(first, second);
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
    EXPECT_GE(regional, 2) << "duelpub.lvl or smallmape.lvl is missing";
}

} // namespace
