// test_draw.cpp - font text, outlines, clears and the colour table, read back from the screen.
#include <string>

#include "render/draw.h"
#include "render_fixture.h"

class DrawTest : public RenderTest {
  protected:
    void SetUp() override {
        open_window(2000, 100);
        SDL_FillRect(g_gfx.screen, nullptr, white());
    }
    uint32_t white() { return rgb(g_gfx.screen, 255, 255, 255); }
};

TEST_F(DrawTest, TextDrawsGlyphCellsFromTheColourBand) {
    gfx_draw_text(nullptr, 10, 20, "Az~", COLOUR_GREEN);
    EXPECT_TRUE(shows_glyph(10, 20, 'A', 1));
    EXPECT_TRUE(shows_glyph(18, 20, 'z', 1));
    EXPECT_TRUE(shows_glyph(26, 20, '~', 1));
    EXPECT_FALSE(shows_glyph(10, 20, 'A', 0));
    // The glyph itself is in the band's colour, and nothing beyond the third cell changed.
    bool has_green = false;
    for (int y = 20; y < 28; ++y)
        for (int x = 10; x < 18; ++x)
            has_green |= read_pixel(g_gfx.screen, x, y) == rgb(g_gfx.screen, 102, 204, 102);
    EXPECT_TRUE(has_green);
    EXPECT_TRUE(block_is(g_gfx.screen, 34, 20, 8, 8, white()));
    gfx_draw_text(nullptr, 0, 40, "P", COLOUR_PINK);
    EXPECT_TRUE(shows_glyph(0, 40, 'P', 7));
    // Control bytes, DEL and 255 show as the underscore.
    gfx_draw_text(nullptr, 0, 60, "\t\n\x7f\xff", COLOUR_GREY);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(shows_glyph(8 * i, 60, '_', 0)) << i;
}

TEST_F(DrawTest, ColourEightEmptyAndNullTextDrawNothing) {
    testing::internal::CaptureStderr();
    gfx_draw_text(nullptr, 0, 0, "hidden", COLOUR_NONE);
    gfx_draw_text(nullptr, 0, 0, "", COLOUR_GREY);
    gfx_draw_text(nullptr, 0, 0, nullptr, COLOUR_GREY);
    gfx_draw_outline(nullptr, 0, 0, 50, 50, COLOUR_NONE);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(block_is(g_gfx.screen, 0, 0, 60, 10, white()));
}

TEST_F(DrawTest, LongTextIsCutAt240CharactersWithOneLogLine) {
    const std::string text = std::string(16, 'K') + std::string(284, 'M');
    testing::internal::CaptureStderr();
    gfx_draw_text(nullptr, 0, 0, text.c_str(), COLOUR_RED);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "D <gfx> text exceeding 240 characters: KKKKKKKKKKKKKKKK...\n");
    EXPECT_TRUE(shows_glyph(8 * 239, 0, 'M', 3));
    EXPECT_TRUE(block_is(g_gfx.screen, 1920, 0, 80, 8, white()));
    // The limit itself: 240 characters are already too many, 239 are not.
    testing::internal::CaptureStderr();
    gfx_draw_text(nullptr, 0, 10, std::string(240, 'x').c_str(), COLOUR_RED);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("exceeding 240"), std::string::npos);
    testing::internal::CaptureStderr();
    gfx_draw_text(nullptr, 0, 20, std::string(239, 'x').c_str(), COLOUR_RED);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(DrawTest, TranslucentTextBlendsAndRestoresTheFontAlpha) {
    gfx_draw_text(nullptr, 0, 0, " ", COLOUR_RED + COLOUR_TRANSLUCENT);
    // A blank glyph cell is black: half of it over white is mid grey.
    Uint8 r, g, b;
    SDL_GetRGB(read_pixel(g_gfx.screen, 3, 3), g_gfx.screen->format, &r, &g, &b);
    EXPECT_NEAR(r, 128, 8);
    EXPECT_NEAR(g, 128, 8);
    EXPECT_FALSE(g_gfx.font->flags & SDL_SRCALPHA);
    EXPECT_EQ(g_gfx.font->format->alpha, 255);
    gfx_draw_text(nullptr, 0, 10, "W", COLOUR_RED);
    EXPECT_TRUE(shows_glyph(0, 10, 'W', 3));
}

TEST_F(DrawTest, OutlinesCoverExactlyTheirBorder) {
    SDL_FillRect(g_gfx.screen, nullptr, 0);
    const uint32_t yellow = gfx_map_colour(COLOUR_YELLOW);
    gfx_draw_outline(nullptr, 2, 2, 10, 5, COLOUR_YELLOW);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 15; ++x) {
            const bool inside = x >= 2 && x <= 11 && y >= 2 && y <= 6;
            const bool border = inside && (x == 2 || x == 11 || y == 2 || y == 6);
            EXPECT_EQ(read_pixel(g_gfx.screen, x, y), border ? yellow : 0u) << x << "," << y;
        }
    gfx_draw_outline(nullptr, 30, 30, 1, 1, COLOUR_GREY);
    EXPECT_EQ(read_pixel(g_gfx.screen, 30, 30), gfx_map_colour(COLOUR_GREY));
    EXPECT_EQ(read_pixel(g_gfx.screen, 31, 30), 0u);
    EXPECT_EQ(read_pixel(g_gfx.screen, 30, 31), 0u);
}

TEST_F(DrawTest, ColourTableMapsAgainstTheScreenFormat) {
    SDL_PixelFormat* f = g_gfx.screen->format;
    const uint8_t table[8][3] = {{153, 153, 153}, {102, 204, 102}, {204, 204, 255},
                                 {255, 51, 0},    {255, 204, 51},  {153, 102, 255},
                                 {255, 153, 51},  {255, 153, 153}};
    for (uint32_t i = 0; i < 8; ++i) {
        EXPECT_EQ(gfx_map_colour(i), SDL_MapRGB(f, table[i][0], table[i][1], table[i][2])) << i;
        EXPECT_EQ(gfx_map_colour(i + 9), SDL_MapRGBA(f, table[i][0], table[i][1], table[i][2], 128))
            << i + 9;
    }
    for (uint32_t i : {8u, 17u, static_cast<uint32_t>(-1)})
        EXPECT_EQ(gfx_map_colour(i), SDL_MapRGB(f, 0, 0, 0)) << i;
}

TEST(DrawWithoutWindowTest, ColourIsZeroAndDrawingIsHarmlessBeforeStartUp) {
    g_gfx = GfxState{};
    EXPECT_EQ(gfx_map_colour(COLOUR_RED), 0u);
    gfx_draw_text(nullptr, 0, 0, "x", COLOUR_RED);
    gfx_draw_outline(nullptr, 0, 0, 5, 5, COLOUR_RED);
    gfx_clear_rect(nullptr, 0, 0, 5, 5);
}
