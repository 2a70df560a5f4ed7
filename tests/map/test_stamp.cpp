// test_stamp.cpp - objects of tiles 216 to 220: painting, painting over, erasing, the map edge.
#include "map_test_util.h"

#include "core/list.h"
#include "map/stamp.h"
#include "map/tilegrid.h"

using namespace maptest;

namespace {

// An empty map with a tile grid, as painting sees it.
MapData* empty_map() {
    MapData* map = mapdata_new();
    map->tiles = tilegrid_new();
    return map;
}

int count_cells(const MapData* map, int value) {
    int n = 0;
    for (int x = 0; x < 1024; ++x)
        for (int y = 0; y < 1024; ++y)
            n += mapdata_get_tile(map, x, y) == value;
    return n;
}

TEST(Stamp, PaintingAnObjectFillsItsSquareAndRecordsOneStamp) {
    MapData* map = empty_map();
    mapdata_set_tile(map, 10, 10, 219);
    EXPECT_EQ(mapdata_get_tile(map, 10, 10), 219);
    for (int x = 10; x < 16; ++x)
        for (int y = 10; y < 16; ++y)
            if (x != 10 || y != 10) {
                EXPECT_EQ(mapdata_get_tile(map, x, y), 250);
            }
    EXPECT_EQ(count_cells(map, 250), 35);
    ASSERT_EQ(list_count(&map->stamps), 1u);
    auto* stamp = static_cast<Stamp*>(map->stamps.head->data);
    EXPECT_EQ(stamp->anchor, record(10, 10, 219));
    EXPECT_EQ(stamp->width, 6);
    EXPECT_EQ(stamp->height, 6);

    int tile = 0;
    EXPECT_EQ(stamp_find(map, 15, 15, &tile), stamp);
    EXPECT_EQ(tile, 219);
    EXPECT_EQ(stamp_find(map, 16, 15, nullptr), nullptr);
    EXPECT_EQ(stamp_find(map, -1, 10, nullptr), nullptr);

    // Painting over any cell removes the whole object, storage included, then paints.
    mapdata_set_tile(map, 12, 13, 1);
    EXPECT_EQ(mapdata_get_tile(map, 12, 13), 1);
    EXPECT_EQ(count_cells(map, 250) + count_cells(map, 219), 0);
    EXPECT_EQ(list_count(&map->stamps), 0u);
    EXPECT_EQ(tilegrid_block_count(map->tiles), 1u);
    EXPECT_EQ(tilegrid_sub_count(map->tiles), 1u);
    mapdata_free(map);
}

TEST(Stamp, ObjectPaintedOverAnotherReplacesIt) {
    MapData* map = empty_map();
    mapdata_set_tile(map, 0, 0, 217);
    mapdata_set_tile(map, 1, 1, 217);
    EXPECT_EQ(mapdata_get_tile(map, 0, 0), 0);
    EXPECT_EQ(mapdata_get_tile(map, 1, 0), 0);
    EXPECT_EQ(mapdata_get_tile(map, 0, 1), 0);
    EXPECT_EQ(mapdata_get_tile(map, 1, 1), 217);
    EXPECT_EQ(mapdata_get_tile(map, 2, 1), 250);
    EXPECT_EQ(mapdata_get_tile(map, 1, 2), 250);
    EXPECT_EQ(mapdata_get_tile(map, 2, 2), 250);
    EXPECT_EQ(list_count(&map->stamps), 1u);
    mapdata_free(map);
}

TEST(Stamp, ErasingAFillerCellErasesTheObject) {
    MapData* map = empty_map();
    mapdata_set_tile(map, 100, 200, 220);
    mapdata_set_tile(map, 104, 204, 0);
    EXPECT_EQ(count_cells(map, 250) + count_cells(map, 220), 0);
    EXPECT_EQ(list_count(&map->stamps), 0u);
    EXPECT_EQ(tilegrid_storage_bytes(map->tiles), sizeof(TileGrid)); // not even a page
    mapdata_free(map);
}

TEST(Stamp, ErasingAnEmptyCellLeavesNoStorage) {
    MapData* map = empty_map();
    mapdata_set_tile(map, 7, 7, 0);
    EXPECT_EQ(tilegrid_storage_bytes(map->tiles), sizeof(TileGrid)); // not even a page
    mapdata_free(map);
}

TEST(Stamp, Tile218IsAOneCellObject) {
    MapData* map = empty_map();
    mapdata_set_tile(map, 5, 5, 218);
    EXPECT_EQ(count_cells(map, 250), 0);
    ASSERT_EQ(list_count(&map->stamps), 1u);
    EXPECT_EQ(static_cast<Stamp*>(map->stamps.head->data)->width, 1);
    mapdata_set_tile(map, 5, 5, 3);
    EXPECT_EQ(mapdata_get_tile(map, 5, 5), 3);
    EXPECT_EQ(list_count(&map->stamps), 0u);
    mapdata_free(map);
}

TEST(Stamp, FillerWithoutObjectIsNotAStamp) {
    MapData* map = empty_map();
    mapdata_set_tile(map, 5, 5, 250);
    EXPECT_EQ(mapdata_get_tile(map, 5, 5), 250);
    EXPECT_EQ(stamp_find(map, 5, 5, nullptr), nullptr);
    mapdata_free(map);
}

TEST(Stamp, LargeObjectOverTwoSmallOnesRemovesBoth) {
    MapData* map = empty_map();
    mapdata_set_tile(map, 9, 9, 217);   // (9..10, 9..10): partly inside the new square
    mapdata_set_tile(map, 14, 14, 220); // (14..18, 14..18): partly inside
    mapdata_set_tile(map, 10, 10, 219); // (10..15, 10..15)
    EXPECT_EQ(list_count(&map->stamps), 1u);
    EXPECT_EQ(mapdata_get_tile(map, 10, 10), 219);
    EXPECT_EQ(count_cells(map, 250), 35);
    EXPECT_EQ(mapdata_get_tile(map, 9, 9), 0);
    EXPECT_EQ(mapdata_get_tile(map, 18, 18), 0);
    EXPECT_EQ(mapdata_get_tile(map, 16, 14), 0);
    mapdata_free(map);
}

TEST(Stamp, ObjectsAtTheEdgeAreClippedNotWrapped) {
    MapData* map = empty_map();
    mapdata_set_tile(map, 0, 0, 5);
    mapdata_set_tile(map, 1, 1021, 5);
    mapdata_set_tile(map, 1021, 1021, 219); // square 1021..1026: only 3 x 3 cells inside
    EXPECT_EQ(mapdata_get_tile(map, 1023, 1023), 250);
    EXPECT_EQ(count_cells(map, 250), 8);
    EXPECT_EQ(mapdata_get_tile(map, 0, 0), 5);
    EXPECT_EQ(mapdata_get_tile(map, 1, 1021), 5);
    EXPECT_NE(stamp_find(map, 1023, 1022, nullptr), nullptr);
    // Removing it must not clear the cells at the opposite edges either.
    mapdata_set_tile(map, 1022, 1022, 0);
    EXPECT_EQ(count_cells(map, 250), 0);
    EXPECT_EQ(list_count(&map->stamps), 0u);
    EXPECT_EQ(mapdata_get_tile(map, 0, 0), 5);
    EXPECT_EQ(mapdata_get_tile(map, 1, 1021), 5);
    mapdata_free(map);
}

} // namespace
