// test_builtin_tileset.cpp - the built-in tileset's header and its 190 distinct tiles.
#include "map_test_util.h"

#include <set>

#include "map/builtin_tileset.h"

using namespace maptest;

namespace {

TEST(BuiltinTileset, HeaderValues) {
    uint32_t length = 0;
    const uint8_t* p = builtin_tileset(&length);
    ASSERT_EQ(length, 49720u);
    Bytes b(p, p + length);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 2), "BM");
    // Offset and value of every 32-bit header field; planes and bit count share one.
    const std::pair<size_t, uint32_t> fields[] = {
        {2, 49718}, {6, 0},      {10, 1078}, {14, 40},   {18, 304}, {22, 160}, {26, 1 | 8 << 16},
        {30, 0},    {34, 48640}, {38, 2835}, {42, 2835}, {46, 256}, {50, 256}};
    for (auto [at, value] : fields)
        EXPECT_EQ(get_u32(b, at), value) << "offset " << at;
    EXPECT_EQ(b[49718], 0);
    EXPECT_EQ(b[49719], 0);
    EXPECT_EQ(builtin_tileset(nullptr), p); // drawn once, the same bytes every time
}

TEST(BuiltinTileset, HasNineteenByTenDistinctTiles) {
    uint32_t length = 0;
    const uint8_t* pixels = builtin_tileset(&length) + 1078;
    std::set<Bytes> tiles;
    std::set<int> colours;
    for (int t = 0; t < 190; ++t) {
        Bytes tile;
        int left = t % 19 * 16, top = t / 19 * 16;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                tile.push_back(pixels[(159 - top - y) * 304 + left + x]);
        std::set<uint8_t> used(tile.begin(), tile.end());
        EXPECT_GE(used.size(), 4u) << "tile " << t + 1 << " is too plain to recognise";
        colours.insert(used.begin(), used.end());
        tiles.insert(tile);
    }
    EXPECT_EQ(tiles.size(), 190u);
    EXPECT_GE(colours.size(), 190u); // one background colour per tile, and more
}

} // namespace
