// The shrunk tileset of zoom 2 and 4 follows the tileset's picture (the zoomed-out pictures
// themselves are checked as golden frames).
#include "map/model/mapdata.h"
#include "map/model/tilegrid.h"
#include "render/gfx.h"
#include "render/gfx_state.h"
#include "render/mapview.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

namespace {

uint32_t read_pixel(SDL_Surface* s, int x, int y) {
    const uint8_t* p =
        static_cast<const uint8_t*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    return s->format->BytesPerPixel == 2 ? *reinterpret_cast<const uint16_t*>(p)
                                         : *reinterpret_cast<const uint32_t*>(p);
}

// A dummy-driver window in the run folder and an empty map with the default tileset.
class ZoomPictures : public ::testing::Test {
  protected:
    void SetUp() override {
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(OSTREL_RUN_DIR);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        g_gfx = GfxState{};
        gfx_set_video_size(320, 240, 16);
        gfx_init();
        map_->tiles = tilegrid_new();
        ASSERT_EQ(gfx_ensure_tileset(map_), 0);
    }
    void TearDown() override {
        mapdata_free(map_);
        gfx_shutdown();
        std::filesystem::current_path(old_);
    }
    void draw(int zoom) {
        gfx_set_zoom(zoom);
        gfx_invalidate_view();
        gfx_draw_map(map_, 0, 0, 0, 0, -1, -1);
    }
    MapData* map_ = mapdata_new();
    std::filesystem::path old_;
};

// The shrunk tileset follows the tileset's picture, even when it changes in place.
TEST_F(ZoomPictures, ShrunkTilesetFollowsTheTilesetPicture) {
    tilegrid_put(map_->tiles, 0, 0, 1);
    draw(2);
    SDL_Surface* tiles = gfx_tileset(map_);
    SDL_FillRect(tiles, nullptr, SDL_MapRGB(tiles->format, 255, 255, 255));
    draw(2);
    const uint32_t white = SDL_MapRGB(g_gfx.map_buffer->format, 255, 255, 255);
    EXPECT_EQ(std::pair(read_pixel(g_gfx.map_buffer, 0, 0), read_pixel(g_gfx.map_buffer, 7, 7)),
              std::pair(white, white));
}

} // namespace
