// Objects of tiles 216 to 220: painting fills their square, painting over any cell removes the
// whole object, and squares at the map's edge are clipped, never wrapped.
#include "test_util.h"

#include "core/list.h"
#include "map/model/stamp.h"
#include "map/model/tilegrid.h"

namespace {

struct Painted {
    MapData* map = mapdata_new();
    explicit Painted(std::initializer_list<std::tuple<int, int, int>> paints) {
        map->tiles = tilegrid_new();
        for (auto [x, y, t] : paints)
            mapdata_set_tile(map, x, y, t);
    }
    ~Painted() { mapdata_free(map); }
    int count(int value) const {
        int n = 0;
        for (int x = 0; x < 1024; ++x)
            for (int y = 0; y < 1024; ++y)
                n += mapdata_get_tile(map, x, y) == value;
        return n;
    }
};

TEST(Stamp, PaintingOverAndErasingObjects) {
    const struct {
        std::vector<std::tuple<int, int, int>> paints;
        size_t stamps;
        int fillers;
        std::vector<std::tuple<int, int, int>> cells; // x, y, value
    } cases[] = {
        {{{10, 10, 219}}, 1, 35, {{10, 10, 219}, {15, 15, 250}, {16, 15, 0}}},
        {{{10, 10, 219}, {12, 13, 1}}, 0, 0, {{12, 13, 1}, {10, 10, 0}}},
        {{{0, 0, 217}, {1, 1, 217}}, 1, 3, {{0, 0, 0}, {1, 1, 217}, {2, 2, 250}}},
        {{{9, 9, 217}, {14, 14, 220}, {10, 10, 219}}, 1, 35, {{9, 9, 0}, {18, 18, 0}}},
        {{{100, 200, 220}, {104, 204, 0}}, 0, 0, {{100, 200, 0}}},
        {{{5, 5, 218}, {9, 9, 250}}, 1, 1, {{5, 5, 218}}},
        // The 6 x 6 square at 1021 keeps 3 x 3 cells; erasing it leaves the opposite edges.
        {{{0, 0, 5}, {1, 1021, 5}, {1021, 1021, 219}}, 1, 8, {{1023, 1023, 250}}},
        {{{0, 0, 5}, {1, 1021, 5}, {1021, 1021, 219}, {1022, 1022, 0}},
         0,
         0,
         {{0, 0, 5}, {1, 1021, 5}}},
    };
    for (const auto& c : cases) {
        Painted p({});
        for (auto [x, y, t] : c.paints)
            mapdata_set_tile(p.map, x, y, t);
        SCOPED_TRACE(testing::PrintToString(c.paints));
        EXPECT_EQ(list_count(&p.map->stamps), c.stamps);
        EXPECT_EQ(p.count(250), c.fillers);
        for (auto [x, y, v] : c.cells)
            EXPECT_EQ(mapdata_get_tile(p.map, x, y), v) << x << "," << y;
    }
}

TEST(Stamp, FindCoversTheSquareAndErasedStorageIsGivenBack) {
    Painted p({{10, 10, 219}});
    int tile = 0;
    EXPECT_NE(stamp_find(p.map, 15, 15, &tile), nullptr);
    EXPECT_EQ(tile, 219);
    EXPECT_EQ(stamp_find(p.map, 16, 15, nullptr), nullptr);
    EXPECT_EQ(stamp_find(p.map, -1, 10, nullptr), nullptr);
    mapdata_set_tile(p.map, 14, 14, 0);
    EXPECT_EQ(tilegrid_storage_bytes(p.map->tiles), sizeof(TileGrid));
}

} // namespace
