// test_tilegrid.cpp - the sparse grid's addressing and storage, the border ring, the default map,
// and the lookup of objects.
#include "map/model/stamp.h"
#include "test_util.h"

#include "map/lvl/level.h"
#include "map/model/tilegrid.h"

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
    // The bounds the opening view fits: the inclusive corners of the non-zero cells.
    tilegrid_put(grid, 3, 20, 2);
    int32_t box[4] = {};
    ASSERT_TRUE(tilegrid_bounds(grid, &box[0], &box[1], &box[2], &box[3]));
    EXPECT_EQ(std::vector<int32_t>(box, box + 4), (std::vector<int32_t>{3, 15, 15, 20}));
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

// An object covers its square for the lookup; erasing it gives its storage back. (Painting
// over objects and their squares at the edge: the random edit sessions.)
TEST(Stamp, FindCoversTheSquareAndErasedStorageIsGivenBack) {
    ScopedMap map;
    map->tiles = tilegrid_new();
    edit_paint(map.map, 10, 10, 219);
    int tile = 0;
    EXPECT_NE(stamp_find(map.map, 15, 15, &tile), nullptr);
    EXPECT_EQ(tile, 219);
    EXPECT_EQ(stamp_find(map.map, 16, 15, nullptr), nullptr);
    EXPECT_EQ(stamp_find(map.map, -1, 10, nullptr), nullptr);
    edit_paint(map.map, 14, 14, 0);
    EXPECT_EQ(tilegrid_storage_bytes(map->tiles), sizeof(TileGrid));
}

} // namespace
