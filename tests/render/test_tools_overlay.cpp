// test_tools_overlay.cpp - the selection outline on a 16-bit surface: clipped at every edge,
// dashes of both colours (the blended paste preview is checked in the golden tool frames).
#include <SDL/SDL.h>
#include <gtest/gtest.h>

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
        if (x < 49) EXPECT_EQ(f.at(x, 11), 0x1234) << x;
    }
    EXPECT_EQ(white + black, 50);
    EXPECT_GE(std::min(white, black), 20);
    EXPECT_NE(f.at(49, 30), 0x1234); // right edge at x = 49
    EXPECT_EQ(f.at(50, 30), 0x1234);
    EXPECT_EQ(f.at(0, 30), 0x1234);
}

} // namespace
