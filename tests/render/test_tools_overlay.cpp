// test_tools_overlay.cpp - the selection outline and the paste preview on a 16-bit surface:
// clipped at every edge, dashes of both colours, cells blended half and half.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include "map/edit/clipboard.h"
#include "render/mapdraw.h"
#include "render/mapview.h"
#include "render/tools_overlay.h"

namespace {

struct Surface {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 64, 48, 16, 0xF800, 0x07E0, 0x001F, 0);
    ~Surface() { SDL_FreeSurface(s); }
    uint16_t at(int x, int y) const {
        return static_cast<const uint16_t*>(s->pixels)[y * s->pitch / 2 + x];
    }
};

TEST(ToolsOverlay, OutlineIsClippedAndDashed) {
    Surface f;
    SDL_FillRect(f.s, nullptr, 0x1234);
    // Left and bottom edges lie off the surface; the top and right edges cross it.
    gfx_draw_marching_outline(f.s, -100, 10, 150, 200, false);
    int white = 0, black = 0;
    for (int x = 0; x < 50; ++x) {
        white += f.at(x, 10) == 0xFFFF;
        black += f.at(x, 10) == 0;
        EXPECT_TRUE(x == 49 || f.at(x, 11) == 0x1234) << x;
    }
    EXPECT_EQ(white + black, 50);
    EXPECT_GE(std::min(white, black), 20);
    EXPECT_NE(f.at(49, 30), 0x1234); // right edge at x = 49
    EXPECT_EQ(f.at(50, 30), 0x1234);
    EXPECT_EQ(f.at(0, 30), 0x1234);
}

TEST(ToolsOverlay, PieceCellsBlendHalfAndHalf) {
    Surface f;
    SDL_FillRect(f.s, nullptr, 0xFFFF);
    ClipPiece p;
    p.width = 3;
    p.height = 1;
    p.tiles = {0, 162, 0};
    gfx_draw_piece(f.s, nullptr, &p, -4, 4, 8); // the first cell half off the surface
    const uint16_t dark = 0x7BEF;               // white with each channel halved
    uint8_t r, g, b;
    ASSERT_TRUE(gfx_tile_class_colour(162, &r, &g, &b));
    const uint16_t grey =
        static_cast<uint16_t>(dark + ((SDL_MapRGB(f.s->format, r, g, b) & 0xF7DE) >> 1));
    EXPECT_EQ(f.at(0, 4), dark);
    EXPECT_EQ(f.at(3, 11), dark);
    EXPECT_EQ(f.at(4, 4), grey);
    EXPECT_EQ(f.at(11, 11), grey);
    EXPECT_EQ(f.at(12, 4), dark);
    EXPECT_EQ(f.at(20, 4), 0xFFFF);
    EXPECT_EQ(f.at(4, 12), 0xFFFF);
}

} // namespace
