// Region pictures: the highlight in the region's own colour at every zoom, the default one
// without a colour, and the list's swatch.
#include "editor/editor_overlay.h"
#include "editor/editor_state.h"
#include "map/region_edit.h"
#include "render/mapview.h"
#include "render_fixture.h"

namespace {

class RegionPictures : public RenderTest {
  protected:
    void SetUp() override {
        open_window();
        g_editor.grid_shown = 0;
        g_editor.running = 1;
        map_ = new_map();
        region_ = add_region(map_, "zone");
        region_add_tile(region_, 1, 1);
        map_->selected_region = region_;
    }
    // The colour of a pixel of cell (1, 1) off the weave's light diagonal, at the current zoom.
    void drawn(uint8_t* r, uint8_t* g, uint8_t* b) {
        gfx_invalidate_view();
        gfx_draw_map(map_, 0, 0, 0, 0, -1, -1);
        int s = 16 / g_gfx.zoom;
        SDL_GetRGB(read_pixel(g_gfx.map_buffer, s + 1, s), g_gfx.map_buffer->format, r, g, b);
    }
    MapData* map_ = nullptr;
    Region* region_ = nullptr;
};

TEST_F(RegionPictures, TheHighlightTakesTheRegionsColourAtEveryZoom) {
    for (int zoom : {1, 2, 4}) {
        gfx_set_zoom(zoom);
        uint8_t r, g, b;
        edit_region_colour(map_, region_, nullptr);
        drawn(&r, &g, &b);
        // The default highlight is purple; on black, half of it shows.
        EXPECT_GT(b, g) << zoom;
        const uint8_t green[3] = {0, 255, 0};
        edit_region_colour(map_, region_, green);
        drawn(&r, &g, &b);
        EXPECT_GT(g, 100) << zoom;
        EXPECT_LT(r, 40) << zoom;
        EXPECT_LT(b, 40) << zoom;
    }
}

TEST_F(RegionPictures, SwatchIsTheColourOrAnEmptyFrame) {
    const uint8_t colour[3] = {200, 10, 30};
    gfx_draw_swatch(nullptr, 10, 10, 6, colour);
    gfx_draw_swatch(nullptr, 30, 10, 6, nullptr);
    SDL_Surface* s = g_gfx.screen;
    EXPECT_TRUE(block_is(s, 10, 10, 6, 6, rgb(s, 200, 10, 30)));
    EXPECT_NE(read_pixel(s, 30, 10), 0u);
    EXPECT_EQ(read_pixel(s, 32, 12), 0u);
}

TEST_F(RegionPictures, TheStatusDisplayNamesTheSelectedRegion) {
    g_editor.screen_width = 640;
    g_editor.current_map = map_;
    editor_draw_status();
    g_editor.current_map = nullptr;
    // "region zone", right-aligned 8 pixels from the edge, under the brush.
    EXPECT_TRUE(shows_glyph(640 - 8 - 8 * 11, 28, 'r', 0));
    EXPECT_TRUE(shows_glyph(640 - 8 - 8 * 4, 28, 'z', 0));
}

} // namespace
