// Regions as edits: create, rename, delete and properties as undoable steps, the sub-chunks
// they write, and a region set table that rebuilds itself instead of filling up.
#include <functional>

#include "map/edit/edit.h"
#include "map/lvl/level.h"
#include "map/edit/region_edit.h"
#include "test_util.h"

namespace {

std::vector<uint8_t> saved(MapData* map) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(mapdata_save_bytes(map, &bytes), MAPDATA_SAVE_OK);
    return bytes;
}

// The default map (built-in tileset, so it can be saved) with one region "Keep" on row 0,
// columns 0 to 2, holding code the editor does not know between two autowarps.
EditedMap map_with_region() {
    EditedMap map(mapdata_load(""));
    read_regn(map,
              concat({chunk("rNAM", bytes("Keep")), chunk("rTIL", {0x42, 0x23, 0xFC, 0xA3, 0xFE}),
                      chunk("rAWP", {1, 0, 2, 0}), chunk("rPYC", {9, 8, 7, 6, 5}),
                      chunk("rAWP", {3, 0, 4, 0})}));
    edit_set_attribute(map, "NAME", "before");
    map.history = edit_history_new(map.get());
    return map;
}

TEST(RegionEdit, EveryChangeIsOneStepAndUndoRedoGiveTheSameFiles) {
    EditedMap map(map_with_region());
    Region* keep = mapdata_find_region(map, "keep");
    Region* made = nullptr;
    RegionWarp warp{512, -3, "duel"};
    const uint8_t rgb[3] = {0x80, 0xFF, 0x10};
    std::vector<std::function<void()>> changes = {
        [&] { made = edit_region_create(map, "Landing"); },
        [&] { edit_region_cell(map, made, 2, 0, true); },
        [&] { edit_region_rename(map, made, "Pad"); },
        [&] { edit_region_flag(map, made, "rBSE", true); },
        [&] { edit_region_autowarp(map, keep, &warp); },
        [&] { edit_region_colour(map, made, rgb); },
        [&] { edit_set_attribute(map, "NAME", "after"); },
        [&] { edit_region_delete(map, keep); },
        [&] { edit_region_flag(map, made, "rBSE", false); },
    };
    std::vector<std::vector<uint8_t>> files = {saved(map)};
    for (size_t i = 0; i < changes.size(); ++i) {
        uint64_t revision = map->revision;
        changes[i]();
        EXPECT_EQ(edit_undo_count(map), i + 1) << "change " << i;
        EXPECT_NE(map->revision, revision) << "change " << i;
        files.push_back(saved(map));
        EXPECT_NE(files[i + 1], files[i]) << "change " << i;
    }
    for (size_t i = changes.size(); i-- > 0;) {
        ASSERT_EQ(edit_undo(map, nullptr), 1);
        EXPECT_EQ(saved(map), files[i]) << "undo to " << i;
    }
    for (size_t i = 1; i <= changes.size(); ++i) {
        ASSERT_EQ(edit_redo(map, nullptr), 1);
        EXPECT_EQ(saved(map), files[i]) << "redo to " << i;
    }
}

TEST(RegionEdit, PropertiesAreTheSubChunksServersReadAndOthersStayInPlace) {
    EditedMap map(map_with_region());
    Region* keep = mapdata_find_region(map, "Keep");
    RegionWarp warp{512, -3, "duel"};
    const uint8_t rgb[3] = {0x80, 0xFF, 0x10};
    edit_region_autowarp(map, keep, &warp);
    edit_region_flag(map, keep, "rBSE", true);
    edit_region_flag(map, keep, "rNFL", true);
    edit_region_colour(map, keep, rgb);
    std::vector<uint8_t> bytes = saved(map);
    EditedMap back(mapdata_new());
    mapdata_read_bytes(back, bytes, {false});
    Region* r = mapdata_find_region(back, "Keep");
    ASSERT_NE(r, nullptr);
    std::vector<std::string> order;
    for (HashEntry* e = r->subchunks->first_added; e; e = e->added_next)
        order.push_back(hash_entry_key(e));
    // One autowarp, in the place of the first; the unknown code keeps its bytes and place.
    EXPECT_EQ(order, (std::vector<std::string>{"rAWP", "rPYC", "rBSE", "rNFL", "rCOL"}));
    auto kept = kept_subchunks(r);
    std::vector<uint8_t> awp = {'r', 'A', 'W',  'P',  20,  0,   0,   0,
                                0,   2,   0xFD, 0xFF, 'd', 'u', 'e', 'l'};
    awp.resize(28);
    EXPECT_EQ(kept["rAWP"][0], awp);
    EXPECT_EQ(kept["rPYC"][0],
              (std::vector<uint8_t>{'r', 'P', 'Y', 'C', 5, 0, 0, 0, 9, 8, 7, 6, 5}));
    char flags[8];
    region_flags(r, flags);
    EXPECT_STREQ(flags, "BWF+");
    EXPECT_EQ(region_cells(r), (std::vector<int32_t>{0, 1, 2}));
}

// Each round makes a set no earlier round used and leaves it unused: without rebuilding, the
// 256th round would find no slot.
TEST(RegionSets, ToggledAndDeletedRegionsNeverUseUpTheTable) {
    EditedMap map(map_with_region());
    Region* keep = mapdata_find_region(map, "Keep");
    for (int round = 0; round < 300; ++round) {
        Region* r = edit_region_create(map, ("t" + std::to_string(round)).c_str());
        ASSERT_EQ(edit_region_cell(map, r, 5, 5, true), 1) << round;
        ASSERT_EQ(edit_region_cell(map, r, 5, 5, false), 1) << round;
    }
    // A deleted region leaves the cells it shared as they would be without it.
    for (int round = 0; round < 300; ++round) {
        Region* r = edit_region_create(map, ("d" + std::to_string(round)).c_str());
        ASSERT_EQ(edit_region_cell(map, r, 1, 0, true), 1) << round;
        edit_region_delete(map, r);
    }
    Region* last = edit_region_create(map, "last");
    ASSERT_EQ(edit_region_cell(map, last, 1, 0, true), 1);
    EXPECT_LT(mapdata_region_set_count(map), 10);
    // Walking back over rebuilds restores every membership as it was.
    for (int i = 0; i < 39; ++i)
        ASSERT_EQ(edit_undo(map, nullptr), 1);
    Region* d287 = mapdata_find_region(map, "d287");
    ASSERT_NE(d287, nullptr);
    EXPECT_EQ(region_cells(d287), (std::vector<int32_t>{1}));
    for (int i = 0; i < 39; ++i)
        ASSERT_EQ(edit_redo(map, nullptr), 1);
    EXPECT_EQ(region_cells(last), (std::vector<int32_t>{1}));
    EXPECT_EQ(region_cells(keep), (std::vector<int32_t>{0, 1, 2}));
}

TEST(RegionSets, TheRealLimitRefusesOnlyNewCombinations) {
    EditedMap map(map_with_region());
    std::vector<Region*> regions;
    // "Keep" uses one set; 254 more one-cell regions fill the table with sets in use.
    for (int i = 0; i < 254; ++i) {
        regions.push_back(edit_region_create(map, ("r" + std::to_string(i)).c_str()));
        ASSERT_EQ(edit_region_cell(map, regions.back(), i, 10, true), 1) << i;
    }
    Region* extra = edit_region_create(map, "extra");
    EXPECT_EQ(edit_region_cell(map, extra, 0, 20, true), 0);
    EXPECT_EQ(edit_region_cell(map, regions[7], 0, 20, true), 1);
    EXPECT_EQ(mapdata_region_set_count(map), kRegionSetLimit);
}

} // namespace
