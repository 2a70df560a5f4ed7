// test_safe_save.cpp - a map read without a tileset is saved without one while it has tiles
// (links, refusals and their reasons: core's safe-save tests).
#include "core/mem.h"
#include "map/edit/edit.h"
#include "map/lvl/builtin_tileset.h"
#include "map/lvl/level.h"
#include "map/model/attributes.h"
#include "test_util.h"

namespace {

using SafeSave = ScratchDir;

// Without a bitmap the records start the file; metadata it cannot hold is reported.
TEST_F(SafeSave, MapWithoutTilesetIsSavedWithoutOne) {
    uint32_t length = 0;
    const uint8_t* builtin = builtin_tileset(&length);
    Bytes bmp(builtin, builtin + length), narrow = bmp;
    write_file("tiles.bmp", bmp);
    put_u32(narrow, 18, 303); // width
    write_file("narrow.bmp", narrow);
    EditedMap map(parse({5, 0, 0, 7}));
    Bytes out;
    const std::tuple<const char*, int, Bytes> cases[] = {
        {"PROGRAM", MAPDATA_SAVE_OK, {5, 0, 0, 7}}, // the editor's own stamp does not count
        {"NAME", MAPDATA_SAVE_NO_TILESET, {5, 0, 0, 7}}};
    for (const auto& [key, result, bytes] : cases) {
        mapdata_set_attribute(map, key, static_cast<char*>(mem_alloc(2)));
        Quiet quiet;
        EXPECT_EQ(mapdata_save_bytes(map, &out), result) << key;
        EXPECT_EQ(out, bytes);
    }
    char reason[256];
    std::vector<uint8_t> tiles;
    for (const char* bad : {"narrow.bmp", "missing.bmp"})
        EXPECT_FALSE(tileset_file_read(bad, &tiles, reason, sizeof reason)) << bad;
    EXPECT_STREQ(reason, "No such file or directory");
    ASSERT_TRUE(tileset_file_read("tiles.bmp", &tiles, reason, sizeof reason)) << reason;
    ASSERT_EQ(edit_set_tileset(map, tiles, false), 1);
    EXPECT_EQ(mapdata_save_bytes(map, &out), MAPDATA_SAVE_OK);
    EXPECT_TRUE(std::equal(bmp.begin() + 14, bmp.end(), out.begin() + 14));
    edit_set_tileset(map, bmp, true);
    EXPECT_EQ(mapdata_save_bytes(map, &out), MAPDATA_SAVE_NO_TILESET);
    // With no record left the built-in tileset goes along: the file is no empty one and
    // keeps the attribute.
    tilegrid_put(map->tiles, 5, 0, 0);
    EXPECT_EQ(mapdata_save_bytes(map, &out), MAPDATA_SAVE_OK);
    MapData* back = parse(out);
    EXPECT_EQ(back->attributes ? back->attributes->count : 0u, 2u);
    mapdata_free(back);
}

} // namespace
