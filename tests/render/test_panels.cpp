// test_panels.cpp - the radar with its cache and view rectangle, the palette, and presenting.
#include "core/platform.h"
#include "editor/editor_state.h"
#include "render/draw.h"
#include "render/mapview.h"
#include "render/panels.h"
#include "render_fixture.h"

class PanelTest : public RenderTest {
  protected:
    void SetUp() override {
        open_window();
        g_editor.running = 1;
        map_ = new_map();
    }
    uint32_t radar_pixel(int bx, int by) { return read_pixel(g_gfx.radar, bx, by); }
    uint32_t radar_rgb(uint8_t r, uint8_t g, uint8_t b) { return rgb(g_gfx.radar, r, g, b); }
    // The yellow view rectangle's width and height, measured from its top-left corner.
    std::pair<int, int> view_rect(int x, int y) {
        const uint32_t yellow = gfx_map_colour(COLOUR_YELLOW);
        int w = 0, h = 0;
        while (read_pixel(g_gfx.screen, x + w, y) == yellow)
            ++w;
        while (read_pixel(g_gfx.screen, x, y + h) == yellow)
            ++h;
        return {w, h};
    }
    MapData* map_ = nullptr;
};

TEST_F(PanelTest, RadarPixelTakesTheLastColouredTileOfItsBlock) {
    tilegrid_put(map_->tiles, 41, 42, 172); // block (10, 10)
    tilegrid_put(map_->tiles, 80, 80, 1);   // block (20, 20): first row ...
    tilegrid_put(map_->tiles, 81, 83, 171); // ... and last row
    tilegrid_put(map_->tiles, 83, 80, 162);
    tilegrid_put(map_->tiles, 120, 123, 162); // block (30, 30): uncoloured values come later
    tilegrid_put(map_->tiles, 123, 123, 170);
    tilegrid_put(map_->tiles, 1023, 1023, 250);
    gfx_draw_radar(map_, 10, 10, 0, 0);
    ASSERT_NE(g_gfx.radar, nullptr);
    EXPECT_EQ(radar_pixel(10, 10), radar_rgb(255, 57, 8));
    EXPECT_EQ(radar_pixel(20, 20), radar_rgb(24, 82, 24));
    EXPECT_EQ(radar_pixel(30, 30), radar_rgb(173, 173, 173));
    EXPECT_EQ(radar_pixel(255, 255), radar_rgb(90, 90, 90));
    EXPECT_EQ(radar_pixel(11, 10), 0u);
    // The picture is on the screen inside a grey outline.
    EXPECT_EQ(read_pixel(g_gfx.screen, 10 + 20, 10 + 20), radar_pixel(20, 20));
    EXPECT_EQ(read_pixel(g_gfx.screen, 10 + 100, 10), gfx_map_colour(COLOUR_GREY));
    EXPECT_EQ(read_pixel(g_gfx.screen, 10 + 255, 10 + 100), gfx_map_colour(COLOUR_GREY));
    EXPECT_TRUE(block_is(g_gfx.screen, 11, 21, 9, 9, 0)); // empty blocks, below the view box
}

TEST_F(PanelTest, RadarIsRebuiltOnlyForAnotherMapOrAfterInvalidation) {
    gfx_draw_radar(map_, 0, 0, 0, 0);
    tilegrid_put(map_->tiles, 8, 8, 172);
    gfx_draw_radar(map_, 0, 0, 0, 0);
    EXPECT_EQ(radar_pixel(2, 2), 0u);
    gfx_invalidate_radar();
    gfx_draw_radar(map_, 0, 0, 0, 0);
    EXPECT_EQ(radar_pixel(2, 2), radar_rgb(255, 57, 8));
    gfx_draw_radar(new_map(), 0, 0, 0, 0);
    EXPECT_EQ(radar_pixel(2, 2), 0u);
}

TEST_F(PanelTest, ViewRectangleSizeFollowsTheZoom) {
    const int sizes[3][3] = {{1, 11, 8}, {2, 22, 16}, {4, 44, 32}};
    for (const auto& s : sizes) {
        gfx_set_zoom(s[0]);
        gfx_draw_radar(map_, 382, 222, 400, 200);
        EXPECT_EQ(view_rect(382 + 100, 222 + 50), std::make_pair(s[1], s[2])) << s[0];
    }
    // At the corner, -21 >> 2 is -6: the rectangle starts outside the radar.
    gfx_set_zoom(1);
    gfx_draw_radar(map_, 382, 222, -21, -21);
    EXPECT_EQ(view_rect(376, 216), std::make_pair(11, 8));
}

TEST_F(PanelTest, PaletteShowsStripSwatchAndTilesetInPlace) {
    SDL_FillRect(g_gfx.screen, nullptr, rgb(g_gfx.screen, 255, 255, 255));
    gfx_draw_palette(map_, 326, 290);
    ASSERT_NE(map_->tileset_surface, nullptr);
    EXPECT_EQ(read_pixel(g_gfx.screen, 326, 290), gfx_map_colour(COLOUR_GREY));
    EXPECT_EQ(read_pixel(g_gfx.screen, 326 + 311, 290 + 187), gfx_map_colour(COLOUR_GREY));
    EXPECT_EQ(read_pixel(g_gfx.screen, 327, 291), 0u);
    EXPECT_TRUE(same_block(g_gfx.screen, 330, 294, g_gfx.extra_tiles, 0, 0, 144, 16));
    EXPECT_TRUE(same_block(g_gfx.screen, 330, 314, map_->tileset_surface, 0, 0, 304, 160));
    // The swatch is the highlight at half alpha over the cleared black.
    Uint8 r, g, b, hr, hg, hb;
    SDL_GetRGB(read_pixel(g_gfx.screen, 474 + 5, 294 + 6), g_gfx.screen->format, &r, &g, &b);
    SDL_GetRGB(read_pixel(g_gfx.highlight, 5, 6), g_gfx.highlight->format, &hr, &hg, &hb);
    EXPECT_NEAR(r, hr / 2, 8);
    EXPECT_NEAR(b, hb / 2, 8);
    EXPECT_TRUE(block_is(g_gfx.screen, 490, 294, 10, 16, 0));
    // Without the icon strip the tileset is still drawn.
    SDL_FreeSurface(g_gfx.extra_tiles);
    g_gfx.extra_tiles = nullptr;
    SDL_FillRect(g_gfx.screen, nullptr, 0);
    gfx_draw_palette(map_, 326, 290);
    EXPECT_TRUE(same_block(g_gfx.screen, 330, 314, map_->tileset_surface, 0, 0, 304, 160));
}

TEST_F(PanelTest, PresentCountsFramesPerWindowAndAdvancesTheAnimation) {
    const uint32_t now = get_ticks();
    g_gfx.fps_window_end = now + 1000;
    g_gfx.anim_last_tick = now;
    g_gfx.view_stale = false;
    for (int i = 0; i < 5; ++i)
        gfx_present();
    EXPECT_EQ(g_gfx.frames_counted, 5u);
    EXPECT_EQ(g_gfx.anim_counter, 0u);
    EXPECT_FALSE(g_gfx.view_stale);
    // A window that has ended: the present that opens the next one is not counted.
    g_gfx.fps_window_end = now - 1;
    gfx_present();
    EXPECT_EQ(g_gfx.frames_shown, 5u);
    EXPECT_EQ(g_gfx.frames_counted, 0u);
    // A long pause advances the animation and, at zoom 1 only, invalidates the view.
    for (int zoom : {1, 2}) {
        gfx_set_zoom(zoom);
        g_gfx.view_stale = false;
        g_gfx.anim_last_tick = now - 500;
        gfx_present();
        EXPECT_EQ(g_gfx.anim_counter, static_cast<uint32_t>(zoom));
        EXPECT_EQ(g_gfx.view_stale, zoom == 1);
    }
}

TEST_F(PanelTest, FrameRateFigureIsDrawnAtAQuarterOfTheWidth) {
    SDL_FillRect(g_gfx.screen, nullptr, 0);
    g_gfx.frames_shown = 42;
    g_gfx.fps_window_end = get_ticks() + 1000;
    gfx_present(); // hidden until asked for
    EXPECT_TRUE(block_is(g_gfx.screen, 160, 0, 56, 8, 0));
    gfx_show_frame_rate(true);
    gfx_present();
    EXPECT_TRUE(shows_glyph(160, 0, 'f', COLOUR_RED));
    EXPECT_TRUE(shows_glyph(192, 0, '4', COLOUR_RED));
    EXPECT_TRUE(shows_glyph(200, 0, '2', COLOUR_RED));
}
