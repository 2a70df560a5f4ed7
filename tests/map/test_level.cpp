// Level files: the elvl chunk walk and handler, the reader on odd and hostile bytes, and the
// writer's layout (saves that fail without harming the old file: core's safe save).
#include "test_util.h"

#include "core/list.h"
#include "core/mem.h"
#include "map/lvl/level.h"
#include "map/lvl/level_report.h"
#include "map/model/attributes.h"
#include "map/lvl/builtin_tileset.h"
#include "map/lvl/elvl.h"
#include "map/model/stamp.h"
#include "map/model/tilegrid.h"

namespace {

std::string attr(MapData* map, const char* key) {
    auto* value = map->attributes ? static_cast<char*>(hash_get(map->attributes, key)) : nullptr;
    return value ? value : "<none>";
}

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

// The walk's result and the chunks it kept, for areas cut short, unaligned or too long.
TEST(ChunkWalk, BoundedByTheAreaAndTheLengthLimit) {
    const Bytes abc = chunk("ABCD", "xyz");
    Bytes lying = concat({abc, chunk("TWO_", "5678")});
    put_u32(lying, 16, 5); // the second chunk claims one byte more than there is
    const struct {
        Bytes area;
        int ok, count;
    } cases[] = {
        {{}, 1, 0},
        {Bytes(7, 0), 0, 0},
        {Bytes(8, 0), 1, 1},
        {abc, 1, 1},
        {Bytes(abc.begin(), abc.end() - 1), 0, 1},
        {concat({abc, Bytes(3, 0)}), 0, 1},
        {lying, 0, 1},
        {concat({chunk("BIG1", Bytes(131072, 'a')), chunk("BIG2", Bytes(131073, 'b')), abc}), 0, 1},
        {concat({chunk("K\0\0\0", "first"), chunk("K\0xy", "second")}), 1, 2},
    };
    for (const auto& c : cases) {
        HashTable* table = hash_create();
        EXPECT_EQ(elvl_read_chunks(table, c.area.data(), static_cast<int32_t>(c.area.size())), c.ok)
            << c.area.size();
        EXPECT_EQ(table->count, c.count) << c.area.size();
        // The same type twice: the first in the file is found.
        EXPECT_TRUE(c.count != 2 ||
                    std::memcmp(elvl_chunk_data(hash_get(table, "K")), "first", 5) == 0);
        elvl_free_chunks(table);
    }
}

TEST(ChunkHandler, AttributesSplitHandledTypesGoOthersStay) {
    std::string key(70, 'k'); // cut to 63 characters
    Bytes chunks = concat({chunk("ATTR", "NAME=Big map"), chunk("ATTR", "A=B=C"),
                           chunk("ATTR", "NOVALUE"), chunk("ATTR", bytes(key + "=value")),
                           chunk("ATTR", bytes(std::string("Z=ab\0cd", 7))), chunk("ATTR", "K=1"),
                           chunk("ATTR", "K=2"), chunk("TSET", "ignored"), chunk("XTRA", "kept"),
                           chunk("attr", "lowercase=kept"), chunk("DCID", "=oops")});
    MapData* map = parse(level_with_chunks(64, chunks, {}));
    EXPECT_EQ(attr(map, "name"), "Big map");
    EXPECT_EQ(attr(map, "A"), "B=C");
    EXPECT_EQ(attr(map, "NOVALUE"), "<none>");
    EXPECT_EQ(attr(map, key.substr(0, 63).c_str()), "value");
    EXPECT_EQ(attr(map, "Z"), "ab");
    EXPECT_EQ(attr(map, "k"), "1");
    EXPECT_EQ(map->attributes->count, 6);
    EXPECT_EQ(map->kept_chunks->count, 3);
    EXPECT_EQ(hash_get(map->kept_chunks, "TSET"), nullptr);
    mapdata_free(map);
    // Chunks before a walk that stops are still handled.
    map = parse(
        level_with_chunks(64, concat({chunk("ATTR", "A=1"), chunk("XTRA", Bytes(131073))}), {}));
    EXPECT_EQ(attr(map, "A"), "1");
    mapdata_free(map);
}

TEST(LevelRead, RecordsOutsideTheMapAreCountedAndTrailingBytesIgnored) {
    Bytes tail = records({{1, 1, 9}});
    tail.resize(tail.size() + 3, 0xFF);
    for (auto [bytes, errors] : {std::pair{Bytes{0x00, 0x04, 0x00, 0x07}, 1u},
                                 {Bytes{0x00, 0x00, 0x40, 0x07}, 1u},
                                 {tail, 0u}}) {
        LevelLosses losses;
        MapData* map = parse(bytes, &losses);
        EXPECT_EQ(losses.tile_records, errors);
        EXPECT_EQ(mapdata_get_tile(map, 0, 0) + mapdata_get_tile(map, 1, 1), errors ? 0 : 9);
        mapdata_free(map);
    }
}

TEST(LevelRead, ObjectRecordsRebuildSquaresAndStampsClippedAtTheEdge) {
    MapData* map =
        parse(records({{0, 0, 3}, {10, 10, 220}, {12, 12, 219}, {11, 11, 7}, {1020, 1022, 220}}));
    EXPECT_EQ(map->stamps.count, 3u);
    for (auto [x, y, v] : {std::tuple{12, 12, 219},
                           {17, 17, 250},
                           {11, 11, 7},
                           {0, 0, 3},
                           {1023, 1023, 250},
                           {0, 1022, 0},
                           {1020, 0, 0}})
        EXPECT_EQ(mapdata_get_tile(map, x, y), v) << x << "," << y;
    mapdata_free(map);
}

TEST_F(ScratchDir, PlainBitmapLoadsWithItsTilesetAndWritesTheCopy) {
    MapData* def = mapdata_load("");
    Bytes bmp(def->tileset, def->tileset + 49718); // without its 2 padding bytes
    mapdata_free(def);
    write_file("plain.lvl", bmp);
    write_file("graphics/last-tiles.bmp", Bytes(70000, 0xEE)); // an older, longer copy
    MapData* map = mapdata_load("plain.lvl");
    EXPECT_EQ(map->tileset_length, 49720u);
    EXPECT_TRUE(tileset_bmp_fits(map->tileset, map->tileset_length));
    bmp.resize(49720, 0);
    EXPECT_EQ(read_file("graphics/last-tiles.bmp"), bmp);
    mapdata_free(map);
}

// Opening a file reads its records in pieces; it must give what reading its bytes whole gives,
// wherever the records start, however the pieces cut them, and on layouts read whole instead.
TEST_F(ScratchDir, OpenedFilesReadAsTheirBytesDo) {
    auto tile_at = [](uint32_t x, uint32_t y) { return 1 + (x * 7 + y * 13) % 190; };
    Bytes rows = records({{1030, 5, 9}, {8, 70, 219}}); // one outside the map, one object
    // Rows 20 to 27 are left out: the band of rows 16 to 23 is half read when the next begins.
    auto skipped = [](uint32_t y) { return y >= 60 || (y >= 20 && y < 28); };
    // Rows 3 and 4 each hold an object (the first and last object tile) beside a tile just
    // outside their range; row 40 has two records swapped. None of them is a plain row in order.
    auto objects = [](uint32_t x, uint32_t y) { return y >= 3 && y < 9 && x >= 100 && x < 110; };
    auto odd_tile = [](uint32_t x, uint32_t y) { return x == 100 ? 215 + y % 3 * 6 : 216 + y % 3 * 4; };
    for (uint32_t y = 0; y < 60; ++y)
        for (uint32_t x = 0; x < 1024 && !skipped(y); ++x) {
            uint32_t at = y == 40 && (x == 300 || x == 301) ? 601 - x : x;
            bool odd = (y == 3 || y == 4) && (x == 100 || x == 101);
            uint32_t tile = odd ? odd_tile(x, y) : tile_at(at, y);
            append(rows, records({{at, y, tile}}));
        }
    append(rows, records({{5, 57, 3}})); // after whole rows, in a band of eight half read
    Bytes into_records = level_with_chunks(64, chunk("ATTR", "A=1"), rows);
    put_u32(into_records, 68, static_cast<uint32_t>(into_records.size() - 64));
    const Bytes files[] = {concat({bmp_head(62, 62), rows}), into_records,
                           records({{3, 4, 5}, {6, 7, 8}}), concat({bmp_head(62, 9999), rows})};
    for (const Bytes& file : files) {
        write_file("in.lvl", file);
        LevelLosses opened_losses, parsed_losses;
        MapData* opened = mapdata_open("in.lvl", nullptr, &opened_losses);
        MapData* parsed = parse(file, &parsed_losses);
        // A read with a report applies the records one by one.
        LevelReport report;
        ScopedMap reported;
        mapdata_read_bytes(reported.map, file, LevelReadOptions{false, &report});
        ASSERT_NE(opened, nullptr);
        EXPECT_EQ(opened_losses.tile_records, parsed_losses.tile_records);
        EXPECT_EQ(Bytes(opened->tileset, opened->tileset + opened->tileset_length),
                  Bytes(parsed->tileset, parsed->tileset + parsed->tileset_length));
        for (int32_t y = 0; y < 1024; ++y)
            for (int32_t x = 0; x < 1024; ++x)
                ASSERT_TRUE(mapdata_get_tile(opened, x, y) == mapdata_get_tile(parsed, x, y) &&
                            mapdata_get_tile(opened, x, y) == mapdata_get_tile(reported.map, x, y))
                    << x << "," << y;
        mapdata_free(opened);
        mapdata_free(parsed);
    }
    LevelLosses losses;
    MapData* map = parse(files[0], &losses);
    EXPECT_EQ(losses.tile_records, 1u);
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 1024; ++x)
            if (!objects(x, y))
                ASSERT_EQ(mapdata_get_tile(map, x, y),
                          skipped(y) ? 0 : x == 5 && y == 57 ? 3 : tile_at(x, y))
                    << x << "," << y;
    EXPECT_EQ(mapdata_get_tile(map, 100, 3), 215);
    EXPECT_EQ(mapdata_get_tile(map, 100, 4), 221);
    EXPECT_EQ(map->stamps.count, 3u); // 216 in row 3, 220 in row 4, 219 at (8, 70)
    mapdata_free(map);
}

// Where the bitmap ends and the records begin: at an accepted elvl block, else at bfSize
// (raised to a multiple of 4, never past the file's end).
TEST(LevelRead, BitmapEndsAtTheElvlBlockOrBfSize) {
    const Bytes tile = records({{5, 6, 7}});
    Bytes good = level_with_chunks(64, chunk("ATTR", "A=1"), tile);
    Bytes wrong_magic = good, past_end = good, short_total = good;
    wrong_magic[64] = 'E';
    put_u32(past_end, 68, static_cast<uint32_t>(past_end.size()));
    put_u32(short_total, 68, 4);
    Bytes start = bmp_head(40, 22);
    put_u32(start, 22, record(5, 6, 7));
    const struct {
        Bytes bytes;
        uint32_t tileset;
        bool attributes, tile;
    } cases[] = {
        {good, 64, true, true},
        {level_with_chunks(62, chunk("ATTR", "A=1"), tile), 64, true, true},
        {wrong_magic, 88, false, true},
        {past_end, 88, false, true},
        {short_total, 64, false, true},
        {start, 24, false, true},
        {bmp_head(20, 0xFFFFFFF0u), 20, false, false},
        {bmp_head(21, 0x7FFFFFFF), 24, false, false},
    };
    for (const auto& c : cases) {
        MapData* map = parse(c.bytes);
        EXPECT_EQ(map->tileset_length, c.tileset) << c.bytes.size();
        EXPECT_EQ(map->attributes != nullptr, c.attributes) << c.bytes.size();
        EXPECT_EQ(mapdata_get_tile(map, 5, 6) == 7, c.tile) << c.bytes.size();
        mapdata_free(map);
    }
}

TEST(LevelRead, TileChunkIsAppliedBeforeTheMainRecords) {
    LevelLosses losses;
    MapData* map = parse(level_with_chunks(
        64, chunk("TILE", records({{5, 5, 3}, {6, 5, 4}, {1024, 0, 1}})), records({{5, 5, 9}})),
        &losses);
    EXPECT_EQ(mapdata_get_tile(map, 5, 5), 9);
    EXPECT_EQ(mapdata_get_tile(map, 6, 5), 4);
    EXPECT_EQ(losses.tile_records, 1u);
    mapdata_free(map);
}

TEST(LevelWrite, DefaultMapLayoutByteForByte) {
    EditedMap map(mapdata_load(""));
    mapdata_set_attribute(map, "PROGRAM", text("ostrel 0.2.4"));
    edit_paint(map, 100, 200, 220); // an object: its anchor only
    edit_paint(map, 300, 5, 250);   // a filler outside any object: not saved
    edit_paint(map, 1023, 0, 2);
    Bytes file = save(map);
    ASSERT_EQ(file.size(), 49720u + 12 + 28 + 8);
    uint32_t length = 0;
    const uint8_t* builtin = builtin_tileset(&length);
    EXPECT_TRUE(std::equal(file.begin() + 14, file.begin() + 49720, builtin + 14));
    EXPECT_EQ(std::vector<uint32_t>(
                  {get_u32(file, 2), get_u16(file, 6), get_u16(file, 8), get_u32(file, 10)}),
              std::vector<uint32_t>({49760, 49720, 0, 1078}));
    EXPECT_EQ(std::string(file.begin() + 49720, file.begin() + 49760),
              std::string("elvl\x28\0\0\0\0\0\0\0ATTR\x14\0\0\0PROGRAM=ostrel 0.2.4", 40));
    // Records in row order.
    EXPECT_EQ(std::vector<uint32_t>({get_u32(file, 49760), get_u32(file, 49764)}),
              std::vector<uint32_t>({record(1023, 0, 2), record(100, 200, 220)}));
}

TEST(LevelWrite, KeptChunksGoBackByteForByteAfterTheAttributes) {
    Bytes dcid = chunk("DCID", bytes(std::string("\x01\x02\x03\x04\x05", 5)));
    MapData* map = parse(
        level_with_chunks(64, concat({dcid, chunk("ATTR", "A=1"), chunk("TSET", "gone")}), {}));
    Bytes file = save(map);
    EXPECT_EQ(Bytes(file.begin() + 76, file.end()), concat({chunk("ATTR", "A=1"), dcid}));
    EXPECT_EQ(get_u32(file, 68), 12u + 12 + 16);
    mapdata_free(map);
}

// A tileset of 64 KiB or more cannot point at an elvl block: the map is saved without one.
// A bitmap too short for a header is replaced by the built-in one.
TEST(LevelWrite, OversizedOrBrokenTilesets) {
    EditedMap map(parse(bmp_head(70000, 70000)));
    mapdata_set_attribute(map, "PROGRAM", text("x"));
    edit_paint(map, 3, 4, 5);
    Bytes file = save(map, MAPDATA_SAVE_NO_METADATA);
    EXPECT_EQ(std::pair(get_u16(file, 6), file.size()), std::pair(0u, size_t{70004}));
    EXPECT_EQ(get_u32(file, 70000), record(3, 4, 5));
    map = EditedMap(parse(bmp_head(14, 0)));
    edit_paint(map, 1, 1, 1);
    file = save(map);
    EXPECT_EQ(get_u16(file, 6), 49720u);
}

} // namespace
