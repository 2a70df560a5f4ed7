// test_safe_save.cpp - saving never writes the wrong file, follows links, refuses what a plain
// open would, says why; maps read without a tileset stay without one; load problems are counted.
#include "core/mem.h"
#include "core/platform.h"
#include "map/attributes.h"
#include "map/builtin_tileset.h"
#include "map/region.h"
#include "map/stamp.h"
#include "map_test_util.h"

#include <sys/stat.h>

namespace {

using namespace maptest;
namespace fs = std::filesystem;

using SafeSave = ScratchDir;

Bytes builtin_bmp() {
    uint32_t length = 0;
    const uint8_t* bytes = builtin_tileset(&length);
    return Bytes(bytes, bytes + length);
}

TEST_F(SafeSave, SymlinkIsFollowedAndKept) {
    fs::create_directory("real");
    write_file("real/map.lvl", {1, 2, 3, 4});
    fs::create_symlink("real/map.lvl", "link.lvl");
    MapData* map = mapdata_load("");
    ASSERT_EQ(mapdata_save(map, "link.lvl"), MAPDATA_SAVE_OK);
    EXPECT_TRUE(fs::is_symlink("link.lvl"));
    EXPECT_EQ(read_file("real/map.lvl").size(), 49720u + 12 + 4);
    mapdata_free(map);
}

TEST_F(SafeSave, RefusedTargetsSayWhyAndStayAsTheyWere) {
    ASSERT_EQ(mkfifo("pipe.lvl", 0600), 0);
    fs::create_directory("folder.lvl");
    MapData* map = mapdata_load("");
    // No reader on the FIFO: neither the save nor the open may block.
    const std::pair<const char*, int> cases[] = {
        {"pipe.lvl", FILE_NOT_REGULAR}, {"folder.lvl", EISDIR}, {"no/such/map.lvl", ENOENT}};
    for (auto [path, reason] : cases) {
        LogCapture log;
        int error = 0;
        EXPECT_EQ(mapdata_save(map, path, &error), MAPDATA_SAVE_FAILED) << path;
        EXPECT_EQ(error, reason) << path;
        EXPECT_TRUE(contains(log.text(), file_error_text(reason))) << log.text();
        EXPECT_EQ(mapped_file_open(path, &error), nullptr);
    }
    EXPECT_TRUE(fs::is_fifo("pipe.lvl"));
    int error = 0;
    EXPECT_EQ(mapdata_open("pipe.lvl", &error), nullptr);
    EXPECT_EQ(error, FILE_NOT_REGULAR);
    mapdata_free(map);
}

TEST_F(SafeSave, ReadOnlyFileIsRefused) {
    if (geteuid() == 0) GTEST_SKIP() << "as root every file is writable: run as a normal user";
    write_file("ro.lvl", {1, 2, 3, 4});
    chmod("ro.lvl", 0444);
    MapData* map = mapdata_load("");
    int error = 0;
    EXPECT_EQ(mapdata_save(map, "ro.lvl", &error), MAPDATA_SAVE_FAILED);
    EXPECT_EQ(error, EACCES);
    EXPECT_EQ(read_file("ro.lvl"), (Bytes{1, 2, 3, 4}));
    mapdata_free(map);
}

TEST_F(SafeSave, LongNamesSaveAndModeIsKept) {
    std::string name(250, 'n'); // the longest names leave no room for a suffix
    write_file(name, {1, 2, 3, 4});
    chmod(name.c_str(), 0640);
    MapData* map = mapdata_load("");
    ASSERT_EQ(mapdata_save(map, name.c_str()), MAPDATA_SAVE_OK);
    struct stat st {};
    ASSERT_EQ(stat(name.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_size, 49720 + 12 + 4);
    int entries = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator("."))
        ++entries;
    EXPECT_EQ(entries, 2); // graphics/ and the map: no temporary file left
    mapdata_free(map);
}

TEST_F(SafeSave, OpenKeepsTheFullPathAndCountsAsSaved) {
    std::string path = (dir_ / "a-folder-with-a-long-name" / "zones" / "duel.lvl").string();
    fs::create_directories(fs::path(path).parent_path());
    write_file(path, {3, 0x20, 0, 1});
    int error = 0;
    MapData* map = mapdata_open(path.c_str(), &error);
    ASSERT_NE(map, nullptr);
    EXPECT_STREQ(map->path, path.c_str());
    EXPECT_EQ(std::string(map->name), path.substr(0, 31));
    EXPECT_FALSE(mapdata_modified(map));
    mapdata_set_tile(map, 1, 1, 5);
    EXPECT_TRUE(mapdata_modified(map));
    ASSERT_NE(mapdata_save(map, map->path), MAPDATA_SAVE_FAILED);
    EXPECT_FALSE(mapdata_modified(map));
    EXPECT_EQ(read_file(path), (Bytes{1, 0x10, 0, 5, 3, 0x20, 0, 1})); // by row
    mapdata_free(map);
    EXPECT_EQ(mapdata_open("missing.lvl", &error), nullptr);
    EXPECT_EQ(error, ENOENT);
}

// A map read without a bitmap is saved without one; metadata it cannot hold is reported.
TEST_F(SafeSave, MapWithoutTilesetIsSavedWithoutOne) {
    MapData* map = parse({5, 0, 0, 7});
    EXPECT_TRUE(map->tileset_placeholder);
    mapdata_set_attribute(map, "PROGRAM", static_cast<char*>(mem_alloc(2)));
    Bytes out;
    EXPECT_EQ(mapdata_save_bytes(map, &out), MAPDATA_SAVE_OK); // the editor's stamp alone
    EXPECT_EQ(out, (Bytes{5, 0, 0, 7}));
    mapdata_set_attribute(map, "NAME", static_cast<char*>(mem_alloc(2)));
    LogCapture log;
    EXPECT_EQ(mapdata_save_bytes(map, &out), MAPDATA_SAVE_NO_TILESET);
    EXPECT_EQ(out, (Bytes{5, 0, 0, 7}));
    mapdata_free(map);
}

TEST_F(SafeSave, TilesetFromFileAndNone) {
    Bytes bmp = builtin_bmp();
    write_file("tiles.bmp", bmp);
    Bytes narrow = bmp;
    put_u32(narrow, 18, 303); // width
    write_file("narrow.bmp", narrow);
    write_file("text.bmp", {'h', 'e', 'l', 'l', 'o'});
    MapData* map = parse({5, 0, 0, 7});
    char reason[256];
    for (const char* bad : {"narrow.bmp", "text.bmp", "missing.bmp"}) {
        EXPECT_EQ(mapdata_use_tileset_file(map, bad, reason, sizeof reason), 0) << bad;
        EXPECT_TRUE(map->tileset_placeholder);
    }
    EXPECT_STREQ(reason, "No such file or directory");
    ASSERT_EQ(mapdata_use_tileset_file(map, "tiles.bmp", reason, sizeof reason), 1) << reason;
    EXPECT_FALSE(map->tileset_placeholder);
    EXPECT_TRUE(mapdata_modified(map));
    Bytes out;
    mapdata_save_bytes(map, &out);
    ASSERT_GT(out.size(), 49720u);
    EXPECT_TRUE(std::equal(bmp.begin() + 14, bmp.end(), out.begin() + 14));
    mapdata_drop_tileset(map);
    mapdata_save_bytes(map, &out);
    EXPECT_EQ(out, (Bytes{5, 0, 0, 7}));
    mapdata_free(map);
}

// Problems of a load are counted per kind for the user.
TEST(LoadProblems, AreCountedPerKind) {
    Bytes rnam, regn, chunks;
    append_chunk(rnam, "rNAM", "A");
    append_chunk(rnam, "rTIL", std::string("\xC0", 1)); // a row copy in row 0: invalid
    append_chunk(chunks, "REGN", std::string(rnam.begin(), rnam.end()));
    Bytes records;
    for (int i = 0; i < 3; ++i)
        append_record(records, 1024, 0, 1);
    LogCapture log;
    MapData* map = parse(level_with_chunks(64, chunks, records));
    EXPECT_EQ(map->error_count, 3u);
    EXPECT_EQ(map->bad_region_data, 1u);
    EXPECT_EQ(map->bad_chunk_areas, 0u);
    mapdata_free(map);
}

} // namespace
