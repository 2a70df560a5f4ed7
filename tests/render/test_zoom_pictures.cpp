// Shrinking pictures, map drawing onto a surface with no window, and the shrunk tileset
// following the tileset (the zoomed-out pictures themselves are checked as golden frames).
#include "map/mapdata.h"
#include "map/tilegrid.h"
#include "render/gfx.h"
#include "render/gfx_state.h"
#include "render/mapdraw.h"
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

// A 32-bit surface, so that colours survive exactly.
SDL_Surface* surface32(int w, int h) {
    return SDL_CreateRGBSurface(0, w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0);
}

TEST(ScaleSurface, EachPixelIsTheRoundedAverageOfItsBox) {
    SDL_Surface* src = surface32(4, 2);
    const uint32_t colours[] = {0x000000, 0xFF0000, 0x102030, 0x102030,
                                0x00FF00, 0x0000FF, 0x102030, 0x102031};
    for (int i = 0; i < 8; ++i)
        static_cast<uint32_t*>(src->pixels)[(i / 4) * (src->pitch / 4) + i % 4] = colours[i];
    SDL_Surface* half = gfx_scale_surface(src, 2);
    ASSERT_NE(half, nullptr);
    EXPECT_EQ(std::pair(half->w, half->h), std::pair(2, 1));
    EXPECT_EQ(read_pixel(half, 0, 0), 0x404040u); // (255 + 0 + 0 + 0) / 4, rounded, per channel
    EXPECT_EQ(read_pixel(half, 1, 0), 0x102030u);
    EXPECT_EQ(gfx_scale_surface(src, 8), nullptr);
    SDL_FreeSurface(half);
    SDL_FreeSurface(src);
}

// A flat scene needs no window: one pixel per cell in the class colours (zoom 16).
TEST(RenderMap, FlatSceneOntoAGivenSurface) {
    MapData* map = mapdata_new();
    map->tiles = tilegrid_new();
    const int tiles[] = {1, 161, 162, 170, 171, 172, 216, 241, 242, 250, 255};
    const uint32_t expected[] = {0x5A5A5A, 0x5A5A5A, 0xADADAD, 0,        0x185218, 0xFF3908,
                                 0x5A5A5A, 0x5A5A5A, 0,        0x5A5A5A, 0};
    for (int i = 0; i < 11; ++i)
        tilegrid_put(map->tiles, 500 + i, 7, static_cast<uint8_t>(tiles[i]));
    SDL_Surface* band = surface32(11, 2);
    MapScene scene;
    scene.map = map;
    scene.origin_x = 500;
    scene.origin_y = 7;
    scene.columns = 11;
    scene.rows = 2;
    scene.zoom = 16;
    gfx_render_map(band, scene, MapPictures{});
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(read_pixel(band, i, 0), expected[i]) << tiles[i];
        EXPECT_EQ(read_pixel(band, i, 1), 0u);
    }
    SDL_FreeSurface(band);
    mapdata_free(map);
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
    SDL_Surface* tiles = map_->tileset_surface;
    SDL_FillRect(tiles, nullptr, SDL_MapRGB(tiles->format, 255, 255, 255));
    draw(2);
    const uint32_t white = SDL_MapRGB(g_gfx.map_buffer->format, 255, 255, 255);
    EXPECT_EQ(std::pair(read_pixel(g_gfx.map_buffer, 0, 0), read_pixel(g_gfx.map_buffer, 7, 7)),
              std::pair(white, white));
}

} // namespace
