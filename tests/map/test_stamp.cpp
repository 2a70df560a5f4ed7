// test_stamp.cpp - objects of tiles 216 to 220: painting, painting over, erasing, the map edge.
#include "map_test_util.h"

#include "core/list.h"
#include "map/stamp.h"
#include "map/tilegrid.h"

using namespace maptest;

namespace {

// An empty map with a tile grid, as painting sees it; released at scope end.
struct Painted {
    MapData* map = mapdata_new();
    Painted() { map->tiles = tilegrid_new(); }
    ~Painted() { mapdata_free(map); }
    int at(int x, int y) const { return mapdata_get_tile(map, x, y); }
    size_t stamps() const { return list_count(&map->stamps); }
    int count(int value) const {
        int n = 0;
        for (int x = 0; x < 1024; ++x)
            for (int y = 0; y < 1024; ++y)
                n += at(x, y) == value;
        return n;
    }
};

TEST(Stamp, PaintingAnObjectFillsItsSquareAndPaintingOverRemovesIt) {
    Painted p;
    mapdata_set_tile(p.map, 10, 10, 219);
    EXPECT_EQ(p.at(10, 10), 219);
    EXPECT_EQ(p.at(15, 15), 250);
    EXPECT_EQ(p.count(250), 35);
    ASSERT_EQ(p.stamps(), 1u);
    auto* stamp = static_cast<Stamp*>(p.map->stamps.head->data);
    EXPECT_EQ(stamp->anchor, record(10, 10, 219));
    EXPECT_EQ(stamp->width, 6);
    EXPECT_EQ(stamp->height, 6);
    int tile = 0;
    EXPECT_EQ(stamp_find(p.map, 15, 15, &tile), stamp);
    EXPECT_EQ(tile, 219);
    EXPECT_EQ(stamp_find(p.map, 16, 15, nullptr), nullptr);
    EXPECT_EQ(stamp_find(p.map, -1, 10, nullptr), nullptr);

    // Painting over any cell removes the whole object, storage included, then paints.
    mapdata_set_tile(p.map, 12, 13, 1);
    EXPECT_EQ(p.at(12, 13), 1);
    EXPECT_EQ(p.count(250) + p.count(219), 0);
    EXPECT_EQ(p.stamps(), 0u);
    EXPECT_EQ(tilegrid_sub_count(p.map->tiles), 1u);
}

TEST(Stamp, ObjectsOverObjects) {
    Painted p; // 217 over 217: the first goes entirely
    mapdata_set_tile(p.map, 0, 0, 217);
    mapdata_set_tile(p.map, 1, 1, 217);
    for (auto [x, y, v] : {std::tuple{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 217}, {2, 2, 250}})
        EXPECT_EQ(p.at(x, y), v) << x << "," << y;
    EXPECT_EQ(p.stamps(), 1u);

    Painted q; // a large object over two small ones that it partly covers removes both
    mapdata_set_tile(q.map, 9, 9, 217);
    mapdata_set_tile(q.map, 14, 14, 220);
    mapdata_set_tile(q.map, 10, 10, 219);
    EXPECT_EQ(q.stamps(), 1u);
    EXPECT_EQ(q.count(250), 35);
    for (auto [x, y, v] : {std::tuple{10, 10, 219}, {9, 9, 0}, {18, 18, 0}, {16, 14, 0}})
        EXPECT_EQ(q.at(x, y), v) << x << "," << y;
}

TEST(Stamp, ErasingAFillerCellErasesTheObjectAndItsStorage) {
    Painted p;
    mapdata_set_tile(p.map, 7, 7, 0);
    EXPECT_EQ(tilegrid_storage_bytes(p.map->tiles), sizeof(TileGrid));
    mapdata_set_tile(p.map, 100, 200, 220);
    mapdata_set_tile(p.map, 104, 204, 0);
    EXPECT_EQ(p.count(250) + p.count(220), 0);
    EXPECT_EQ(p.stamps(), 0u);
    EXPECT_EQ(tilegrid_storage_bytes(p.map->tiles), sizeof(TileGrid)); // not even a page
}

TEST(Stamp, ObjectsAtTheEdgeAreClippedNotWrapped) {
    Painted p;
    mapdata_set_tile(p.map, 0, 0, 5);
    mapdata_set_tile(p.map, 1, 1021, 5);
    mapdata_set_tile(p.map, 1021, 1021, 219); // square 1021..1026: only 3 x 3 cells inside
    EXPECT_EQ(p.at(1023, 1023), 250);
    EXPECT_EQ(p.count(250), 8);
    EXPECT_NE(stamp_find(p.map, 1023, 1022, nullptr), nullptr);
    // Removing it must not clear the cells at the opposite edges either.
    mapdata_set_tile(p.map, 1022, 1022, 0);
    EXPECT_EQ(p.count(250), 0);
    EXPECT_EQ(p.stamps(), 0u);
    EXPECT_EQ(p.at(0, 0), 5);
    EXPECT_EQ(p.at(1, 1021), 5);
}

} // namespace
