// test_mapview.cpp - the map view at zoom 1 (pictures, sprites, grid, highlight) and zoomed out.
#include "editor/editor_state.h"
#include "map/stamp.h"
#include "render/mapview.h"
#include "render_fixture.h"

class MapViewTest : public RenderTest {
  protected:
    void SetUp() override {
        open_window();
        gfx_set_grid(true);
        g_editor.running = 1;
        map_ = new_map();
    }
    SDL_Surface* buffer() { return g_gfx.map_buffer; }
    void draw(int origin_x, int origin_y) {
        gfx_invalidate_view();
        gfx_draw_map(map_, 0, 0, origin_x, origin_y, -1, -1);
    }
    bool shows_tileset_cell(int px, int py, int tile) {
        return same_block(buffer(), px, py, map_->tileset_surface, (tile - 1) % 19 * 16,
                          (tile - 1) / 19 * 16, 16, 16);
    }
    bool shows_icon(SDL_Surface* s, int px, int py, int cell) {
        return same_block(s, px, py, g_gfx.extra_tiles, cell * 16, 0, 16, 16);
    }
    uint32_t grid() { return rgb(buffer(), 32, 32, 32); }
    MapData* map_ = nullptr;
};

TEST_F(MapViewTest, ZoomOneDrawsTilesetCellsAndIcons) {
    const int tiles[] = {5, 190, 241, 242, 252, 255};
    for (int i = 0; i < 6; ++i)
        tilegrid_put(map_->tiles, 10 + i, 10, static_cast<uint8_t>(tiles[i]));
    draw(0, 0);
    EXPECT_TRUE(shows_tileset_cell(160, 160, 5));
    EXPECT_TRUE(shows_tileset_cell(176, 160, 190));
    for (int k = 0; k < 4; ++k)
        EXPECT_TRUE(shows_icon(buffer(), 192 + 16 * k, 160, 5 + k)) << k;
}

TEST_F(MapViewTest, ObjectsShowTheCurrentSpriteFrameWithinTheMargin) {
    mapdata_set_tile(map_, 12, 10, 217); // 2 x 2 cells, sheet of 10 x 3 frames of 32 x 32
    g_gfx.anim_counter = 33;             // frame 3
    draw(0, 0);
    EXPECT_TRUE(same_block(buffer(), 192, 160, g_gfx.sprites[1], 3 * 32, 0, 32, 32));
    g_gfx.anim_counter = 14; // frame 14: column 4 of row 1
    draw(0, 0);
    EXPECT_TRUE(same_block(buffer(), 192, 160, g_gfx.sprites[1], 4 * 32, 32, 32, 32));
    // Anchored above and left of the view, a 6 x 6 object shows only its last cell.
    mapdata_set_tile(map_, 5, 5, 219);
    g_gfx.anim_counter = 0;
    draw(10, 10);
    EXPECT_TRUE(same_block(buffer(), 0, 0, g_gfx.sprites[3], 80, 80, 16, 16));
    // Without its sheet an object shows its icon.
    SDL_FreeSurface(g_gfx.sprites[0]);
    g_gfx.sprites[0] = nullptr;
    mapdata_set_tile(map_, 3, 3, 216);
    draw(0, 0);
    EXPECT_TRUE(shows_icon(buffer(), 48, 48, 0));
}

TEST_F(MapViewTest, GridLinesOnlyOnEmptyCellsInsideTheMap) {
    tilegrid_put(map_->tiles, 6, 5, 250);
    tilegrid_put(map_->tiles, 7, 5, 251);
    draw(0, 0);
    // Empty (5, 5): a top and a left line, the rest black.
    EXPECT_TRUE(block_is(buffer(), 80, 80, 16, 1, grid()));
    EXPECT_TRUE(block_is(buffer(), 80, 80, 1, 16, grid()));
    EXPECT_TRUE(block_is(buffer(), 81, 81, 15, 15, 0));
    // The filler never gets lines; 251 does.
    EXPECT_TRUE(block_is(buffer(), 96, 80, 16, 16, 0));
    EXPECT_TRUE(block_is(buffer(), 112, 80, 16, 1, grid()));
    gfx_set_grid(false);
    draw(0, 0);
    EXPECT_TRUE(block_is(buffer(), 80, 80, 16, 16, 0));
}

TEST_F(MapViewTest, BorderRingShowsTile20AndBeyondItIsBlack) {
    draw(-3, -3);
    // Cell (-1, y) is at column 2 of the view.
    for (int j = 2; j < 10; ++j)
        EXPECT_TRUE(shows_tileset_cell(32, 16 * j, 20)) << j;
    EXPECT_TRUE(shows_tileset_cell(32 + 16 * 5, 32, 20)); // (4, -1)
    // Cells at -2 and -3 are black and get no grid; the first map cell does.
    EXPECT_TRUE(block_is(buffer(), 0, 0, 32, 16 * 10, 0));
    EXPECT_TRUE(block_is(buffer(), 48, 48, 16, 1, grid()));
}

TEST_F(MapViewTest, SelectedRegionIsHighlightedIncludingAcrossTheWrap) {
    tilegrid_put(map_->tiles, 3, 3, 1);
    Region* region = add_region(map_, "zone");
    region_add_tile(region, 3, 3);
    region_add_tile(region, 1023, 5);
    draw(-2, 0);
    SDL_Surface* before = gfx_convert_surface(gfx_create_surface(buffer()->w, buffer()->h, 16));
    SDL_BlitSurface(buffer(), nullptr, before, nullptr);
    map_->selected_region = region;
    draw(-2, 0);
    EXPECT_FALSE(same_block(buffer(), 80, 48, before, 80, 48, 16, 16)); // (3, 3)
    EXPECT_FALSE(same_block(buffer(), 16, 80, before, 16, 80, 16, 16)); // (-1, 5) is (1023, 5)
    EXPECT_TRUE(same_block(buffer(), 96, 48, before, 96, 48, 16, 16));  // (4, 3) is not in it
    SDL_FreeSurface(before);
}

TEST_F(MapViewTest, TheCacheRedrawsOnlyAfterInvalidationOrAnotherOrigin) {
    draw(0, 0);
    tilegrid_put(map_->tiles, 2, 2, 7);
    gfx_draw_map(map_, 0, 0, 0, 0, -1, -1);
    EXPECT_FALSE(shows_tileset_cell(32, 32, 7));
    gfx_invalidate_view();
    gfx_draw_map(map_, 0, 0, 0, 0, -1, -1);
    EXPECT_TRUE(shows_tileset_cell(32, 32, 7));
    tilegrid_put(map_->tiles, 3, 2, 8);
    gfx_draw_map(map_, 0, 0, -1, -1, -1, -1);
    EXPECT_TRUE(shows_tileset_cell(64, 48, 8));
    // The buffer reaches the screen at the view offset; zoomed out the offset is ignored.
    gfx_invalidate_view();
    gfx_draw_map(map_, -5, -7, 0, 0, -1, -1);
    EXPECT_TRUE(same_block(g_gfx.screen, 11, 9, buffer(), 16, 16, 16, 16));
    gfx_set_zoom(2);
    gfx_invalidate_view();
    gfx_draw_map(map_, -5, -7, 0, 0, -1, -1);
    EXPECT_TRUE(same_block(g_gfx.screen, 0, 0, buffer(), 0, 0, 40, 40));
}

TEST_F(MapViewTest, ZoomedOutSquaresUseTheTileClassColours) {
    const int tiles[] = {1, 161, 162, 170, 171, 172, 216, 241, 242, 250, 255};
    for (int i = 0; i < 11; ++i)
        tilegrid_put(map_->tiles, i, 0, static_cast<uint8_t>(tiles[i]));
    const uint32_t grey = rgb(buffer(), 90, 90, 90), light = rgb(buffer(), 173, 173, 173);
    const uint32_t expected[] = {
        grey, grey, light, 0, rgb(buffer(), 24, 82, 24), rgb(buffer(), 255, 57, 8), grey,
        grey, 0,    grey,  0};
    for (int zoom : {2, 4}) {
        gfx_set_zoom(zoom);
        draw(0, 0);
        const int s = 16 / zoom;
        for (int i = 0; i < 11; ++i)
            EXPECT_TRUE(block_is(buffer(), s * i, 0, s, s, expected[i])) << zoom << ":" << tiles[i];
        EXPECT_TRUE(block_is(buffer(), 0, s, s, s, 0)); // empty, and no grid at these zooms
    }
}

TEST_F(MapViewTest, TilePictureResults) {
    for (int t : {1, 190, 216, 220, 241, 242, 252, 255})
        EXPECT_EQ(gfx_draw_tile(nullptr, map_, 0, 0, t), 1) << t;
    for (int t : {0, 191, 215, 221, 250, 251, 253, 254})
        EXPECT_EQ(gfx_draw_tile(nullptr, map_, 0, 0, t), 0) << t;
    gfx_draw_tile(nullptr, map_, 100, 100, 218);
    EXPECT_TRUE(shows_icon(g_gfx.screen, 100, 100, 2));
    // Without the icon strip the value still counts as drawn.
    SDL_FreeSurface(g_gfx.extra_tiles);
    g_gfx.extra_tiles = nullptr;
    EXPECT_EQ(gfx_draw_tile(nullptr, map_, 0, 0, 252), 1);
}
