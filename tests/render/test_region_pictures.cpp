// Region pictures: the highlight in the region's own colour at every zoom, the default one
// without a colour, and the list's swatch.
#include "editor/editor_state.h"
#include "map/region_edit.h"
#include "render/mapview.h"
#include "render/gfx.h"
#include "render/gfx_state.h"
#include "test_util.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

uint32_t read_pixel(SDL_Surface* s, int x, int y) {
    return *reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(s->pixels) +
                                              y * s->pitch + x * 2);
}

// A dummy-driver window in the run folder, 640 x 480 at 16 bits, and a map with one region.
class RegionPictures : public ::testing::Test {
  protected:
    void SetUp() override {
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(OSTREL_RUN_DIR);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        g_gfx = GfxState{};
        g_editor.running = 1;
        gfx_set_video_size(640, 480, 16);
        gfx_init();
        ASSERT_NE(g_gfx.screen, nullptr);
        map_ = mapdata_new();
        map_->tiles = tilegrid_new();
        region_ = mapdata_add_region(map_, "zone");
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
    void TearDown() override {
        mapdata_free(map_);
        if (g_gfx.screen) gfx_shutdown();
        std::filesystem::current_path(old_);
    }
    MapData* map_ = nullptr;
    Region* region_ = nullptr;
    std::filesystem::path old_;
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
    for (int y = 10; y < 16; ++y)
        for (int x = 10; x < 16; ++x)
            EXPECT_EQ(read_pixel(s, x, y), SDL_MapRGB(s->format, 200, 10, 30));
    EXPECT_NE(read_pixel(s, 30, 10), 0u);
    EXPECT_EQ(read_pixel(s, 32, 12), 0u);
}

} // namespace
