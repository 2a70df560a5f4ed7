// What frames do not show: the tileset fall-back, help file parsing, and the shrunk tileset and
// the radar following what they picture.
#include "core/mem.h"
#include "core/platform.h"
#include "map/edit/edit.h"
#include "map/model/tilegrid.h"
#include "render/gfx.h"
#include "render/gfx_state.h"
#include "render/helpviewer.h"
#include "render/mapview.h"
#include "render/panels.h"
#include "test_util.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

namespace fs = std::filesystem;

namespace {

// A dummy-driver window opened in a folder (the run folder by default) and an empty map.
class Render : public ::testing::Test {
  protected:
    void open(const fs::path& folder = OSTREL_RUN_DIR) {
        old_ = fs::current_path();
        fs::current_path(folder);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        gfx_set_video_size(gfx_, 320, 240, 16);
        gfx_init(gfx_);
        ASSERT_NE(gfx_screen(gfx_), nullptr);
        map_->tiles = tilegrid_new();
    }
    void TearDown() override {
        map_.reset();
        if (gfx_screen(gfx_)) gfx_shutdown(gfx_);
        if (!old_.empty()) fs::current_path(old_);
    }
    // The pixels of a tile's cell of the map buffer (16 pixels wide at zoom 1), summed.
    uint32_t buffer_pixel(int x, int y, int cell = 16) {
        SDL_Surface* b = gfx_.map_buffer;
        uint32_t sum = 0;
        for (int j = 0; j < cell; ++j)
            for (int i = 0; i < cell; ++i)
                sum += *reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(b->pixels) +
                                                    (y * cell + j) * b->pitch + (x * cell + i) * 2);
        return sum;
    }
    GfxState gfx_;
    EditedMap map_{mapdata_new()};
    fs::path old_;
};

// Tileset bytes that decode to nothing are drawn with the built-in tileset.
TEST_F(Render, UndecodableTilesetFallsBackToTheBuiltInOne) {
    open();
    map_->tileset = static_cast<uint8_t*>(mem_alloc(4));
    map_->tileset_length = 4;
    ASSERT_EQ(gfx_ensure_tileset(gfx_, map_), 0);
    EXPECT_EQ(gfx_tileset(gfx_, map_)->w, 304);
}

TEST(Help, PagesStartAtHashLinesAndColourCodesTakeNoRoom) {
    HelpState help;
    for (const char* line : {"intro", "#one", "%Gx%Yy", "#two"})
        helpviewer_add_line(help, line);
    helpviewer_add_line(help, std::string(120, 'b').c_str()); // cut to 89
    EXPECT_EQ(helpviewer_page_count(help), 2);
    const std::pair<int, int> page_visible[] = {{-1, 5}, {0, 3}, {0, 2}, {1, 3}, {1, 89}};
    ASSERT_EQ(help.line_count, 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(std::pair(help.lines[i].page, help.lines[i].visible_length), page_visible[i]) << i;
}

// The shrunk tileset of zoom 2 follows the tileset's picture, even when it changes in place.
TEST_F(Render, ShrunkTilesetFollowsTheTilesetPicture) {
    open();
    ASSERT_EQ(gfx_ensure_tileset(gfx_, map_), 0);
    tilegrid_put(map_->tiles, 0, 0, 1);
    gfx_draw_map(gfx_, map_, {0, 0, 0, 0, -1, -1, 2});
    SDL_Surface* tiles = gfx_tileset(gfx_, map_);
    SDL_FillRect(tiles, nullptr, SDL_MapRGB(tiles->format, 255, 255, 255));
    gfx_invalidate_view(gfx_);
    gfx_draw_map(gfx_, map_, {0, 0, 0, 0, -1, -1, 2});
    const uint32_t white = SDL_MapRGB(gfx_.map_buffer->format, 255, 255, 255);
    EXPECT_EQ(buffer_pixel(0, 0, 8), 64 * white);
}

// The radar follows the map's revision: an edit through the change path, its undo and its
// redo each redraw it; a change that leaves the revision alone keeps the cached picture.
TEST_F(Render, RadarFollowsEditsUndoAndRedo) {
    open();
    const auto radar_pixel = [this] {
        gfx_draw_radar(gfx_, map_, 0, 0, 0, 0, 1);
        return *static_cast<uint16_t*>(gfx_.radar->pixels);
    };
    EXPECT_EQ(radar_pixel(), 0u);
    tilegrid_put(map_->tiles, 0, 0, 172);
    EXPECT_EQ(radar_pixel(), 0u);
    tilegrid_put(map_->tiles, 0, 0, 0);
    edit_begin(map_, "paint");
    edit_put_tile(map_, 0, 0, 172); // the first cell of the radar pixel's square counts too
    edit_end(map_);
    const uint32_t drawn = radar_pixel();
    EXPECT_NE(drawn, 0u);
    EXPECT_EQ(edit_undo(map_, nullptr), 1);
    EXPECT_EQ(radar_pixel(), 0u);
    EXPECT_EQ(edit_redo(map_, nullptr), 1);
    EXPECT_EQ(radar_pixel(), drawn);
}

} // namespace
