// test_level_read.cpp - the reader: bitmaps, elvl detection, tile records, hostile sizes.
#include "map_test_util.h"

#include "core/list.h"
#include "map/stamp.h"
#include "map/tilegrid.h"

using namespace maptest;

namespace {

class LevelRead : public ScratchDir {};

TEST(LevelReadBytes, RecordsOutsideTheMapAreCountedAndSkipped) {
    for (Bytes bytes : {Bytes{0x00, 0x04, 0x00, 0x07}, Bytes{0x00, 0x00, 0x40, 0x07}}) {
        LogCapture log;
        MapData* map = parse(bytes);
        EXPECT_EQ(map->error_count, 1u);
        EXPECT_TRUE(contains(log.text(), "W <mapdata> 1 errors in map\n"));
        EXPECT_EQ(mapdata_get_tile(map, 0, 0), 0);
        EXPECT_EQ(tilegrid_storage_bytes(map->tiles), sizeof(TileGrid)); // not even a page
        mapdata_free(map);
    }
    for (size_t extra = 1; extra <= 3; ++extra) { // trailing bytes after the last record
        Bytes bytes;
        append_record(bytes, 1, 1, 9);
        bytes.resize(bytes.size() + extra, 0xFF);
        MapData* map = parse(bytes);
        EXPECT_EQ(mapdata_get_tile(map, 1, 1), 9);
        EXPECT_EQ(map->error_count, 0u);
        mapdata_free(map);
    }
}

TEST(LevelReadBytes, ObjectRecordsRebuildSquaresAndStampsClippedAtTheEdge) {
    Bytes bytes;
    append_record(bytes, 0, 0, 3);
    append_record(bytes, 10, 10, 220);
    append_record(bytes, 12, 12, 219); // overlaps: both stamps stay, later records win
    append_record(bytes, 11, 11, 7);
    append_record(bytes, 1020, 1022, 220);
    MapData* map = parse(bytes);
    EXPECT_EQ(list_count(&map->stamps), 3u);
    for (auto [x, y, v] : {std::tuple{12, 12, 219},
                           {17, 17, 250},
                           {13, 13, 250},
                           {11, 11, 7},
                           {0, 0, 3},
                           {1023, 1023, 250},
                           {0, 1022, 0},
                           {1020, 0, 0}})
        EXPECT_EQ(mapdata_get_tile(map, x, y), v) << x << "," << y;
    int fillers = 0;
    for (int x = 0; x < 1024; ++x)
        for (int y = 0; y < 1024; ++y)
            fillers += mapdata_get_tile(map, x, y) == 250;
    // The union of the two squares but its three other cells, and the clipped 4 x 2 square.
    EXPECT_EQ(fillers, 25 + 36 - 9 - 3 + 7);
    mapdata_free(map);
}

TEST_F(LevelRead, PlainBitmapLoadsWithItsTilesetAndWritesTheCopy) {
    // A real 304 x 160 bitmap: the built-in one without its 2 padding bytes.
    MapData* def = mapdata_load("");
    Bytes bmp(def->tileset, def->tileset + 49718);
    mapdata_free(def);
    write_file("plain.lvl", bmp);
    write_file("graphics/last-tiles.bmp", Bytes(70000, 0xEE)); // an older, longer copy
    LogCapture log;
    MapData* map = mapdata_load("plain.lvl");
    EXPECT_EQ(log.text(),
              "D got bmp: 49720\nI <mapdata> successfully processed map file 'plain.lvl'\n");
    EXPECT_EQ(map->tileset_length, 49720u);
    EXPECT_NE(map->tileset_surface, nullptr);
    EXPECT_EQ(map->error_count, 0u);
    EXPECT_EQ(tilegrid_storage_bytes(map->tiles), sizeof(TileGrid)); // not even a page
    Bytes copy = read_file("graphics/last-tiles.bmp");
    ASSERT_EQ(copy.size(), 49720u);
    EXPECT_TRUE(std::equal(bmp.begin(), bmp.end(), copy.begin()));
    EXPECT_EQ(copy[49718], 0);
    mapdata_free(map);
}

TEST(LevelReadBytes, AcceptedElvlBlockCutsTheBitmapAtItsOffset) {
    Bytes chunks;
    append(chunks, chunk("ATTR", "NAME=Big map"));
    Bytes records;
    append_record(records, 5, 6, 7);
    Bytes bytes = level_with_chunks(62, chunks, records); // r = 62, raised to 64
    LogCapture log;
    MapData* map = parse(bytes);
    EXPECT_TRUE(contains(log.text(), "D got bmp before elvl: 64\n"));
    EXPECT_EQ(map->tileset_length, 64u);
    EXPECT_EQ(std::string(static_cast<char*>(hash_get(map->attributes, "name"))), "Big map");
    EXPECT_EQ(mapdata_get_tile(map, 5, 6), 7);
    ASSERT_NE(map->kept_chunks, nullptr);
    EXPECT_EQ(map->kept_chunks->count, 0);
    mapdata_free(map);
}

TEST(LevelReadBytes, RejectedElvlBlocksAreIgnoredSilentlyAndAShortTotalWarns) {
    Bytes chunks;
    append(chunks, chunk("ATTR", "A=1"));
    Bytes good = level_with_chunks(64, chunks, {});
    Bytes wrong_magic = good;
    wrong_magic[64] = 'E';
    Bytes past_end = good;
    put_u32(past_end, 68, static_cast<uint32_t>(past_end.size()));
    Bytes header_cut(good.begin(), good.begin() + 64 + 11);
    for (const Bytes& bytes : {wrong_magic, past_end, header_cut}) {
        LogCapture log;
        MapData* map = parse(bytes);
        EXPECT_FALSE(contains(log.text(), "W ")) << log.text();
        EXPECT_TRUE(contains(log.text(), "D got bmp: ")) << log.text();
        EXPECT_EQ(map->attributes, nullptr);
        EXPECT_EQ(map->kept_chunks, nullptr);
        mapdata_free(map);
    }
    // An elvl total below twelve warns, and the load goes on.
    Bytes records;
    append_record(records, 2, 2, 2);
    Bytes short_total = level_with_chunks(64, {}, records);
    put_u32(short_total, 68, 4);
    LogCapture log;
    MapData* map = parse(short_total);
    EXPECT_TRUE(contains(log.text(), "W <mapdata> error in lvl while reading metadata chunks\n"));
    EXPECT_EQ(mapdata_get_tile(map, 2, 2), 2);
    mapdata_free(map);
}

TEST(LevelReadBytes, BfSizeStartsTheRecordsButCostsNoMoreThanTheFile) {
    Bytes start = bmp_head(40, 22);
    put_u32(start, 22, record(4, 4, 4));
    MapData* map = parse(start);
    EXPECT_EQ(mapdata_get_tile(map, 4, 4), 4);
    EXPECT_EQ(map->tileset_length, 24u);
    mapdata_free(map);

    Bytes bytes = bmp_head(20, 0xFFFFFFF0u);
    LogCapture log;
    map = parse(bytes);
    EXPECT_EQ(map->tileset_length, 20u);
    EXPECT_TRUE(contains(log.text(), "D got bmp: 20\n"));
    EXPECT_EQ(tilegrid_storage_bytes(map->tiles), sizeof(TileGrid)); // not even a page
    mapdata_free(map);

    Bytes odd = bmp_head(21, 0x7FFFFFFFu);
    map = parse(odd);
    EXPECT_EQ(map->tileset_length, 24u);
    EXPECT_EQ(map->tileset[20], 0x11);
    EXPECT_EQ(map->tileset[21], 0);
    mapdata_free(map);
}

TEST(LevelReadBytes, TileChunkIsAppliedBeforeTheMainRecords) {
    Bytes chunk_records;
    append_record(chunk_records, 5, 5, 3);
    append_record(chunk_records, 6, 5, 4);
    append_record(chunk_records, 1024, 0, 1);
    Bytes chunks;
    append(chunks, chunk("TILE", bytes(std::string(chunk_records.begin(), chunk_records.end()))));
    Bytes records;
    append_record(records, 5, 5, 9);
    append_record(records, 0, 1024, 1);
    LogCapture log;
    MapData* map = parse(level_with_chunks(64, chunks, records));
    EXPECT_EQ(mapdata_get_tile(map, 5, 5), 9);
    EXPECT_EQ(mapdata_get_tile(map, 6, 5), 4);
    EXPECT_EQ(map->error_count, 2u);
    // The running total is reported after the chunk and again after the main records.
    EXPECT_TRUE(contains(log.text(), "W <mapdata> 1 errors in map\n"));
    EXPECT_TRUE(contains(log.text(), "W <mapdata> 2 errors in map\n"));
    mapdata_free(map);
}

} // namespace
