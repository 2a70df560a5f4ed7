// Tile pictures when zoomed out, shrinking, and map drawing onto a surface with no window.
#include "map/stamp.h"
#include "render/mapdraw.h"
#include "render/mapview.h"
#include "render_fixture.h"

namespace {

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

class ZoomPictures : public RenderTest {
  protected:
    void SetUp() override {
        open_window();
        map_ = new_map();
        ASSERT_EQ(gfx_ensure_tileset(map_), 0);
    }
    void draw(int zoom) {
        gfx_set_zoom(zoom);
        gfx_invalidate_view();
        gfx_draw_map(map_, 0, 0, 0, 0, -1, -1);
    }
    MapData* map_ = nullptr;
};

TEST_F(ZoomPictures, TilesAndObjectsShowShrunkPictures) {
    tilegrid_put(map_->tiles, 3, 2, 25);
    tilegrid_put(map_->tiles, 4, 2, 241);
    mapdata_set_tile(map_, 6, 2, 217);
    for (int zoom : {2, 4}) {
        draw(zoom);
        const int s = 16 / zoom;
        SDL_Surface* tiles = gfx_scale_surface(map_->tileset_surface, zoom);
        SDL_Surface* icons = gfx_scale_surface(g_gfx.extra_tiles, zoom);
        SDL_Surface* sheet = gfx_scale_surface(g_gfx.sprites[1], zoom);
        // Tile 25 is tileset cell (5, 1); icon 241 is cell 5; the object is frame 0, 2 cells.
        EXPECT_TRUE(same_block(g_gfx.map_buffer, 3 * s, 2 * s, tiles, 5 * s, s, s, s)) << zoom;
        EXPECT_TRUE(same_block(g_gfx.map_buffer, 4 * s, 2 * s, icons, 5 * s, 0, s, s)) << zoom;
        EXPECT_TRUE(same_block(g_gfx.map_buffer, 6 * s, 2 * s, sheet, 0, 0, 2 * s, 2 * s));
        for (SDL_Surface* made : {tiles, icons, sheet})
            SDL_FreeSurface(made);
    }
}

// The shrunk tileset follows the tileset's picture, even when it changes in place.
TEST_F(ZoomPictures, ShrunkTilesetFollowsTheTilesetPicture) {
    tilegrid_put(map_->tiles, 0, 0, 1);
    draw(2);
    SDL_Surface* tiles = map_->tileset_surface;
    SDL_FillRect(tiles, nullptr, SDL_MapRGB(tiles->format, 255, 255, 255));
    draw(2);
    EXPECT_TRUE(block_is(g_gfx.map_buffer, 0, 0, 8, 8, rgb(g_gfx.map_buffer, 255, 255, 255)));
}

} // namespace
