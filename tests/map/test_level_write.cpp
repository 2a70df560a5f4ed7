// test_level_write.cpp - the saved file's layout, kept chunks, big tilesets, failing saves.
#include "map_test_util.h"

#include <csignal>
#include <sys/resource.h>

#include "core/mem.h"
#include "map/attributes.h"
#include "map/builtin_tileset.h"
#include "map/elvl.h"
#include "map/stamp.h"

using namespace maptest;

namespace {

char* text(const char* s) {
    auto* copy = static_cast<char*>(mem_alloc(static_cast<uint32_t>(std::strlen(s) + 1)));
    std::strcpy(copy, s);
    return copy;
}

Bytes save(MapData* map, int expected = MAPDATA_SAVE_OK) {
    Bytes out;
    EXPECT_EQ(mapdata_save_bytes(map, &out), expected);
    return out;
}

TEST(LevelWrite, DefaultMapLayoutByteForByte) {
    MapData* map = mapdata_load("");
    mapdata_set_attribute(map, "PROGRAM", text("ostrel 0.2.4"));
    LogCapture log;
    Bytes file = save(map);
    ASSERT_EQ(file.size(), 49720u + 12 + 28 + 4);
    uint32_t length = 0;
    const uint8_t* builtin = builtin_tileset(&length);
    // The bitmap is unchanged apart from the two patched header fields.
    EXPECT_TRUE(std::equal(file.begin() + 14, file.begin() + 49720, builtin + 14));
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(get_u32(file, 2), 49760u);
    EXPECT_EQ(get_u16(file, 6), 49720u);
    EXPECT_EQ(get_u16(file, 8), 0u);
    EXPECT_EQ(get_u32(file, 10), 1078u);
    const uint8_t elvl[12] = {'e', 'l', 'v', 'l', 40, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_TRUE(std::equal(elvl, elvl + 12, file.begin() + 49720));
    std::string chunk(file.begin() + 49732, file.begin() + 49760);
    EXPECT_EQ(chunk, std::string("ATTR\x14\0\0\0PROGRAM=ostrel 0.2.4", 28));
    EXPECT_EQ(get_u32(file, 49760), record(0, 0, 1));
    EXPECT_EQ(log.text(), "D written:tileset      at:    0 len:49720\n"
                          "D written:elvl header  at:49720 len:   12\n"
                          "D written ATTR: 'PROGRAM=ostrel 0.2.4'. chunklen:28 (8+20+padding)\n"
                          "D written:attr's       at:49732 len:   28\n"
                          "D written:map data     at:49760 len:    4\n"
                          "D written:bmp header   at:    0 len:   14\n"
                          "D written:elvl header  at:49720 len:   12\n");

    mapdata_free(map);
}

TEST(LevelWrite, ElvlBlockSizeFollowsTheAttributes) {
    MapData* map = mapdata_load("");
    Bytes file = save(map);
    EXPECT_EQ(file.size(), 49720u + 12 + 4);
    EXPECT_EQ(get_u32(file, 2), 49720u + 12);
    EXPECT_EQ(get_u32(file, 49724), 12u);
    mapdata_set_attribute(map, "K", text("1")); // a short attribute is padded to 4 bytes
    file = save(map);
    EXPECT_EQ(std::string(file.begin() + 49732, file.begin() + 49744),
              std::string("ATTR\x03\0\0\0K=1\0", 12));
    EXPECT_EQ(get_u32(file, 49724), 24u);
    mapdata_free(map);
}

TEST(LevelWrite, ObjectsAreSavedAsAnchorsOnly) {
    MapData* map = mapdata_load("");
    mapdata_set_tile(map, 0, 0, 0);
    mapdata_set_tile(map, 100, 200, 220);
    mapdata_set_tile(map, 300, 5, 250); // a filler outside any object
    Bytes file = save(map);
    ASSERT_EQ(file.size(), 49720u + 12 + 4);
    EXPECT_EQ(std::vector<uint8_t>(file.end() - 4, file.end()), (Bytes{0x64, 0x80, 0x0C, 0xDC}));
    MapData* back = parse(file);
    EXPECT_EQ(mapdata_get_tile(back, 100, 200), 220);
    EXPECT_EQ(mapdata_get_tile(back, 104, 204), 250);
    EXPECT_EQ(mapdata_get_tile(back, 300, 5), 0);
    EXPECT_NE(stamp_find(back, 104, 204, nullptr), nullptr);
    mapdata_free(back);
    mapdata_free(map);
}

TEST(LevelWrite, RecordsInRowOrderForEveryValueButZeroAndFiller) {
    MapData* map = mapdata_load("");
    const uint8_t column[8] = {1, 122, 128, 250, 255, 0, 0xFB, 0x7A};
    for (int y = 0; y < 8; ++y)
        mapdata_set_tile(map, 0, y, column[y]);
    mapdata_set_tile(map, 1023, 0, 2);
    mapdata_set_tile(map, 40, 1, 4);
    mapdata_set_tile(map, 5, 1023, 3);
    const uint32_t want[] = {record(0, 0, 1),    record(1023, 0, 2), record(0, 1, 122),
                             record(40, 1, 4),   record(0, 2, 128),  record(0, 4, 255),
                             record(0, 6, 0xFB), record(0, 7, 0x7A), record(5, 1023, 3)};
    Bytes file = save(map);
    size_t at = 49720 + 12;
    ASSERT_EQ(file.size(), at + sizeof want);
    for (size_t i = 0; i < std::size(want); ++i)
        EXPECT_EQ(get_u32(file, at + 4 * i), want[i]) << i;
    mapdata_free(map);
}

TEST(LevelWrite, KeptChunksGoBackByteForByteAfterTheAttributes) {
    Bytes chunks;
    append_chunk(chunks, "DCID", std::string("\x01\x02\x03\x04\x05", 5));
    append_chunk(chunks, "ATTR", "A=1");
    append_chunk(chunks, "TSET", "gone");
    append_chunk(chunks, "XTRA", "");
    MapData* map = parse(level_with_chunks(64, chunks, {}));
    Bytes file = save(map);
    ASSERT_EQ(get_u16(file, 6), 64u);
    size_t at = 64 + 12;
    EXPECT_EQ(std::string(file.begin() + at, file.begin() + at + 12),
              std::string("ATTR\x03\0\0\0A=1\0", 12));
    // The kept chunks follow in the kept-chunk table's order, each padded to 4 bytes.
    Bytes dcid, xtra;
    append_chunk(dcid, "DCID", std::string("\x01\x02\x03\x04\x05", 5));
    append_chunk(xtra, "XTRA", "");
    Bytes rest(file.begin() + at + 12, file.end());
    Bytes dx = dcid, xd = xtra;
    dx.insert(dx.end(), xtra.begin(), xtra.end());
    xd.insert(xd.end(), dcid.begin(), dcid.end());
    EXPECT_TRUE(rest == dx || rest == xd);
    EXPECT_EQ(get_u32(file, 64 + 4), 12u + 12 + 16 + 8);
    MapData* back = parse(file);
    EXPECT_EQ(back->kept_chunks->count, 2);
    EXPECT_NE(hash_get(back->kept_chunks, "DCID"), nullptr);
    mapdata_free(back);
    mapdata_free(map);
}

TEST(LevelWrite, OversizedTilesetSavesWithoutElvlBlock) {
    Bytes bitmap = bmp_head(70000, 70000);
    MapData* map = parse(bitmap);
    mapdata_set_attribute(map, "PROGRAM", text("x"));
    mapdata_set_tile(map, 3, 4, 5);
    LogCapture log;
    Bytes file = save(map, MAPDATA_SAVE_NO_METADATA);
    EXPECT_TRUE(contains(log.text(), "W <mapdata> a tileset of 70000 bytes is too large to store "
                                     "this map's attributes"));
    EXPECT_EQ(get_u16(file, 6), 0u);
    EXPECT_EQ(get_u32(file, 2), 70000u);
    ASSERT_EQ(file.size(), 70004u);
    EXPECT_EQ(get_u32(file, 70000), record(3, 4, 5));
    MapData* back = parse(file);
    EXPECT_EQ(mapdata_get_tile(back, 3, 4), 5);
    EXPECT_EQ(back->tileset_length, 70000u);
    EXPECT_EQ(back->attributes, nullptr);
    mapdata_free(back);
    mapdata_free(map);
}

TEST(LevelWrite, BitmapTooShortForAHeaderIsReplacedByTheBuiltInOne) {
    MapData* map = parse(bmp_head(14, 0)); // bfSize 0: a bitmap of no bytes
    ASSERT_EQ(map->tileset_length, 0u);
    mapdata_set_tile(map, 1, 1, 1);
    Bytes file = save(map);
    EXPECT_EQ(get_u16(file, 6), 49720u);
    MapData* back = parse(file);
    EXPECT_EQ(mapdata_get_tile(back, 1, 1), 1);
    mapdata_free(back);
    mapdata_free(map);
}

class LevelSave : public ScratchDir {};

// Entries of the scratch folder: a failed or finished save leaves no temporary file.
int entries() {
    int n = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator("."))
        ++n;
    return n;
}

TEST_F(LevelSave, SavesAtomicallyAndReplacesTheOldFile) {
    write_file("map.lvl", {1, 2, 3});
    MapData* map = mapdata_load("");
    EXPECT_EQ(mapdata_save(map, "map.lvl"), MAPDATA_SAVE_OK);
    Bytes expected = save(map);
    EXPECT_EQ(read_file("map.lvl"), expected);
    EXPECT_EQ(entries(), 2);
    mapdata_free(map);
}

TEST_F(LevelSave, MissingFolderOrTakenTargetFailsAndLeavesNoTemporaryFile) {
    std::filesystem::create_directory("taken.lvl");
    MapData* map = mapdata_load("");
    LogCapture log;
    EXPECT_EQ(mapdata_save(map, "no/such/folder/map.lvl"), MAPDATA_SAVE_FAILED);
    EXPECT_TRUE(contains(log.text(), "No such file or directory")) << log.text();
    EXPECT_EQ(mapdata_save(map, "taken.lvl"), MAPDATA_SAVE_FAILED);
    EXPECT_TRUE(std::filesystem::is_directory("taken.lvl"));
    EXPECT_EQ(entries(), 2);
    mapdata_free(map);
}

TEST_F(LevelSave, FullDiskFailsAndKeepsTheOldFile) {
    Bytes old = {9, 9, 9, 9};
    write_file("map.lvl", old);
    MapData* map = mapdata_load("");
    // A file size limit makes the write fail the way a full disk does.
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    int result = mapdata_save(map, "map.lvl");
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &previous, nullptr);
    EXPECT_EQ(result, MAPDATA_SAVE_FAILED);
    EXPECT_EQ(read_file("map.lvl"), old);
    EXPECT_EQ(entries(), 2);
    mapdata_free(map);
}

TEST_F(LevelSave, ReadOnlyFolderFails) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    std::filesystem::create_directory("ro");
    std::filesystem::permissions("ro", std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_exec);
    MapData* map = mapdata_load("");
    EXPECT_EQ(mapdata_save(map, "ro/map.lvl"), MAPDATA_SAVE_FAILED);
    EXPECT_FALSE(std::filesystem::exists("ro/map.lvl"));
    mapdata_free(map);
}

} // namespace
