// test_tilegrid.cpp - the sparse grid's addressing and storage, the border ring, the default map.
#include "map_test_util.h"

#include "map/tilegrid.h"

using namespace maptest;

namespace {

using Shape = std::pair<uint32_t, uint32_t>;
// Present blocks and sub-blocks of a grid.
Shape shape(const TileGrid* grid) {
    return {tilegrid_block_count(grid), tilegrid_sub_count(grid)};
}

TEST(TileGrid, CoordinatesWrapModulo1024) {
    TileGrid* grid = tilegrid_new();
    EXPECT_EQ(tilegrid_storage_bytes(grid), sizeof(TileGrid));
    tilegrid_put(grid, 1024, 3, 7);
    EXPECT_EQ(tilegrid_get(grid, 0, 3), 7);
    tilegrid_put(grid, -1, 0, 9);
    EXPECT_EQ(tilegrid_get(grid, 1023, 0), 9);
    EXPECT_EQ(tilegrid_get(grid, 2047, 1024), 9);
    tilegrid_free(grid);
}

TEST(TileGrid, NeighbouringCellsShareSubBlocksAndBlocks) {
    TileGrid* grid = tilegrid_new();
    tilegrid_put(grid, 0, 0, 1);
    tilegrid_put(grid, 0, 7, 2);
    EXPECT_EQ(shape(grid), Shape(1, 1));
    tilegrid_put(grid, 8, 0, 3); // same block, next sub-block column
    EXPECT_EQ(shape(grid), Shape(1, 2));
    tilegrid_put(grid, 31, 31, 4);
    tilegrid_put(grid, 32, 0, 5); // next block
    EXPECT_EQ(shape(grid), Shape(2, 4));
    for (auto [x, y, v] :
         {std::tuple{0, 0, 1}, {0, 7, 2}, {8, 0, 3}, {31, 31, 4}, {32, 0, 5}, {7, 0, 0}})
        EXPECT_EQ(tilegrid_get(grid, x, y), v) << x << "," << y;
    tilegrid_free(grid);
}

TEST(TileGrid, CompactionReleasesOnlyEmptyStorage) {
    TileGrid* grid = tilegrid_new();
    tilegrid_put(grid, 10, 10, 5);
    tilegrid_put(grid, 10, 10, 0); // writing zero keeps storage until compaction
    EXPECT_EQ(shape(grid), Shape(1, 1));
    tilegrid_compact(grid);
    EXPECT_EQ(shape(grid), Shape(0, 0));
    EXPECT_EQ(grid->blocks[0], nullptr);
    tilegrid_put(grid, 0, 0, 0);   // empty sub-block in a block that keeps another
    tilegrid_put(grid, 15, 15, 1); // last byte of its sub-block
    tilegrid_put(grid, 500, 9, 0); // a block holding nothing at all
    tilegrid_compact(grid);
    EXPECT_EQ(shape(grid), Shape(1, 1));
    EXPECT_EQ(tilegrid_get(grid, 15, 15), 1);
    tilegrid_free(grid);
}

TEST(TileGrid, FullGridFitsTheMemoryBudgetAndSurvivesCompaction) {
    TileGrid* grid = tilegrid_new();
    for (int x = 0; x < 1024; ++x)
        for (int y = 0; y < 1024; ++y)
            tilegrid_put(grid, x, y, static_cast<uint8_t>(1 + (x ^ y) % 190));
    EXPECT_LE(tilegrid_storage_bytes(grid), 1536u * 1024u);
    tilegrid_compact(grid);
    EXPECT_EQ(shape(grid), Shape(1024, 16384));
    EXPECT_EQ(tilegrid_get(grid, 1023, 1022), 1 + (1023 ^ 1022) % 190);
    tilegrid_free(grid);
}

TEST(TileGrid, ErasedStorageIsReturnedAndReused) {
    TileGrid* grid = tilegrid_new();
    auto fill = [&](auto value) {
        for (int x = 0; x < 256; ++x)
            for (int y = 0; y < 256; ++y)
                tilegrid_put(grid, x, y, value(x, y));
    };
    fill([](int, int) { return uint8_t{3}; });
    size_t filled = tilegrid_storage_bytes(grid);
    // Erase all but one cell: the pages whose sub-blocks all went are given back.
    fill([](int x, int y) { return static_cast<uint8_t>(x == 100 && y == 100 ? 3 : 0); });
    tilegrid_compact(grid);
    EXPECT_EQ(tilegrid_storage_bytes(grid), sizeof(TileGrid) + sizeof(TileBlock) + 4096);
    fill([](int x, int y) { return static_cast<uint8_t>(x + y); });
    EXPECT_EQ(tilegrid_storage_bytes(grid), filled);
    for (int x = 0; x < 256; ++x)
        for (int y = 0; y < 256; ++y)
            ASSERT_EQ(tilegrid_get(grid, x, y), static_cast<uint8_t>(x + y));
    tilegrid_free(grid);
}

TEST(MapData, BorderRingReadsTwentyAndBeyondItZero) {
    MapData* map = mapdata_load("");
    for (auto [x, y] : {std::pair{-1, 5}, {1024, 0}, {5, -1}, {-1, -1}, {1024, 1024}, {1023, 1024}})
        EXPECT_EQ(mapdata_get_tile(map, x, y), 20) << x << "," << y;
    for (auto [x, y] :
         {std::pair{-2, 0}, {1025, 3}, {0, 1025}, {0, -2}, {INT32_MIN, 0}, {INT32_MAX, 5}})
        EXPECT_EQ(mapdata_get_tile(map, x, y), 0) << x << "," << y;
    EXPECT_EQ(mapdata_get_tile(map, 1023, 1023), 0);
    mapdata_free(map);
}

class MapDataFiles : public ScratchDir {};

// The default map comes silently for "", with a warning for missing and empty files.
TEST_F(MapDataFiles, DefaultMap) {
    EXPECT_EQ(mapdata_load(nullptr), nullptr);
    write_file("empty.lvl", {});
    const std::pair<const char*, const char*> cases[] = {
        {"", "D insert bmp: 49720\n"},
        {"/nonexistent/folder/x.lvl",
         "W <mapdata> error finding or reading level file '/nonexistent/folder/x.lvl': No such "
         "file or directory\n"
         "D insert bmp: 49720\n"},
        {"empty.lvl", nullptr}};
    for (auto [path, expected_log] : cases) {
        LogCapture log;
        MapData* map = mapdata_load(path);
        if (expected_log) {
            EXPECT_EQ(log.text(), expected_log);
        }
        EXPECT_STREQ(map->name, "<default>");
        EXPECT_EQ(mapdata_get_tile(map, 0, 0), 1);
        EXPECT_EQ(map->tileset_length, 49720u);
        EXPECT_NE(map->tileset_surface, nullptr);
        EXPECT_EQ(map->error_count, 0u);
        EXPECT_EQ(map->attributes, nullptr);
        EXPECT_EQ(map->kept_chunks, nullptr);
        EXPECT_EQ(map->region_grid, nullptr);
        EXPECT_EQ(map->stamps.head, nullptr);
        EXPECT_LT(tilegrid_storage_bytes(map->tiles), 64u * 1024u);
        mapdata_free(map);
    }
}

TEST(MapData, ClearReleasesTablesAndKeepsTheRecord) {
    Bytes chunks;
    append_chunk(chunks, "ATTR", "A=1");
    append_chunk(chunks, "XTRA", "keep");
    MapData* map = parse(level_with_chunks(64, chunks, {}));
    ASSERT_NE(map->kept_chunks, nullptr);
    mapdata_clear(map);
    EXPECT_EQ(map->tiles, nullptr);
    EXPECT_EQ(map->attributes, nullptr);
    EXPECT_EQ(map->kept_chunks, nullptr);
    EXPECT_EQ(mapdata_get_tile(map, 0, 0), 0);
    EXPECT_EQ(mapdata_get_tile(map, -1, 0), 20);
    mapdata_free(map);
}

} // namespace
