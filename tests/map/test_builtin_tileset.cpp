// test_builtin_tileset.cpp - the built-in tileset's header, its 190 distinct tiles and decoding.
#include "map_test_util.h"

#include <SDL/SDL.h>

#include <set>

#include "map/builtin_tileset.h"

using namespace maptest;

namespace {

TEST(BuiltinTileset, HeaderValues) {
    uint32_t length = 0;
    const uint8_t* p = builtin_tileset(&length);
    ASSERT_EQ(length, 49720u);
    Bytes b(p, p + length);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(get_u32(b, 2), 49718u);
    EXPECT_EQ(get_u32(b, 6), 0u); // both reserved fields
    EXPECT_EQ(get_u32(b, 10), 1078u);
    EXPECT_EQ(get_u32(b, 14), 40u);
    EXPECT_EQ(get_u32(b, 18), 304u);
    EXPECT_EQ(get_u32(b, 22), 160u);
    EXPECT_EQ(get_u16(b, 26), 1u);
    EXPECT_EQ(get_u16(b, 28), 8u);
    EXPECT_EQ(get_u32(b, 30), 0u);
    EXPECT_EQ(get_u32(b, 34), 48640u);
    EXPECT_EQ(get_u32(b, 38), 2835u);
    EXPECT_EQ(get_u32(b, 42), 2835u);
    EXPECT_EQ(get_u32(b, 46), 256u);
    EXPECT_EQ(get_u32(b, 50), 256u);
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

TEST(BuiltinTileset, DecodesAsA304By160Picture) {
    uint32_t length = 0;
    const uint8_t* bytes = builtin_tileset(&length);
    SDL_Surface* surface = SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes, static_cast<int>(length)), 1);
    ASSERT_NE(surface, nullptr) << SDL_GetError();
    EXPECT_EQ(surface->w, 304);
    EXPECT_EQ(surface->h, 160);
    EXPECT_EQ(surface->format->BitsPerPixel, 8);
    SDL_FreeSurface(surface);
}

} // namespace
