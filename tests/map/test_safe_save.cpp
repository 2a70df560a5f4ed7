// test_safe_save.cpp - a save follows links, refuses what a plain open would and says why;
// a map read without a tileset is saved without one while it has tiles.
#include "core/mem.h"
#include "core/platform.h"
#include "map/edit/edit.h"
#include "map/lvl/builtin_tileset.h"
#include "map/lvl/level.h"
#include "map/model/attributes.h"
#include "test_util.h"

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

using SafeSave = ScratchDir;

TEST_F(SafeSave, LinksAreFollowedAndLongNamesFit) {
    fs::create_directory("real");
    write_file("real/map.lvl", {1, 2, 3, 4});
    fs::create_symlink("real/map.lvl", "link.lvl");
    std::string long_name(250, 'n'); // no room left for a suffix of the temporary file
    MapData* map = mapdata_load("");
    for (const std::string& path : {std::string("link.lvl"), long_name})
        ASSERT_EQ(mapdata_save(map, path.c_str()).result, MAPDATA_SAVE_OK) << path;
    EXPECT_TRUE(fs::is_symlink("link.lvl"));
    EXPECT_EQ(read_file("real/map.lvl"), read_file(long_name));
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 4);
    mapdata_free(map);
}

TEST_F(SafeSave, RefusedTargetsSayWhyAndStayAsTheyWere) {
    ASSERT_EQ(mkfifo("pipe.lvl", 0600), 0);
    fs::create_directory("folder.lvl");
    write_file("ro.lvl", {1, 2, 3, 4});
    chmod("ro.lvl", 0444);
    MapData* map = mapdata_load("");
    // Nobody reads the FIFO: neither the save nor the open may block on it.
    std::vector<std::pair<const char*, int>> cases = {
        {"pipe.lvl", FILE_NOT_REGULAR}, {"folder.lvl", EISDIR}, {"no/such/map.lvl", ENOENT}};
    if (geteuid() != 0)
        cases.push_back({"ro.lvl", EACCES});
    else
        std::puts("as root every file is writable: the read-only case needs a normal user");
    for (auto [path, reason] : cases) {
        Quiet quiet;
        MapSave save = mapdata_save(map, path);
        EXPECT_EQ(save.result, MAPDATA_SAVE_FAILED) << path;
        EXPECT_EQ(save.error, reason) << path;
    }
    EXPECT_TRUE(fs::is_fifo("pipe.lvl"));
    EXPECT_EQ(read_file("ro.lvl"), (Bytes{1, 2, 3, 4}));
    int error = 0;
    EXPECT_EQ(mapdata_open("pipe.lvl", &error), nullptr);
    EXPECT_EQ(error, FILE_NOT_REGULAR);
    mapdata_free(map);
}

// Without a bitmap the records start the file; metadata it cannot hold is reported.
TEST_F(SafeSave, MapWithoutTilesetIsSavedWithoutOne) {
    uint32_t length = 0;
    const uint8_t* builtin = builtin_tileset(&length);
    Bytes bmp(builtin, builtin + length), narrow = bmp;
    write_file("tiles.bmp", bmp);
    put_u32(narrow, 18, 303); // width
    write_file("narrow.bmp", narrow);
    MapData* map = parse({5, 0, 0, 7});
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
    mapdata_free(map);
}

} // namespace
