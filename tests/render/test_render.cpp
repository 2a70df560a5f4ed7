// What frames do not show: the tileset fall-backs, help file parsing, the caches of the map
// view and the radar, and the present's frame and animation cadence.
#include "core/mem.h"
#include "core/platform.h"
#include "editor/editor_state.h"
#include "map/model/tilegrid.h"
#include "render/gfx.h"
#include "render/gfx_state.h"
#include "render/helpviewer.h"
#include "render/mapview.h"
#include "render/panels.h"
#include "test_util.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
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
        g_gfx = GfxState{};
        g_editor.running = 1;
        // The editor's hook: a missing tileset ends its loop.
        gfx_set_stop_hook([] { g_editor.running = 0; });
        gfx_set_video_size(320, 240, 16);
        gfx_init();
        ASSERT_NE(gfx_screen(), nullptr);
        map_->tiles = tilegrid_new();
    }
    void TearDown() override {
        mapdata_free(map_);
        if (gfx_screen()) gfx_shutdown();
        if (!old_.empty()) fs::current_path(old_);
    }
    // The pixels of a tile's cell of the map buffer at zoom 1, summed.
    uint32_t buffer_pixel(int x, int y) {
        SDL_Surface* b = g_gfx.map_buffer;
        uint32_t sum = 0;
        for (int j = 0; j < 16; ++j)
            for (int i = 0; i < 16; ++i)
                sum += *reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(b->pixels) +
                                                    (y * 16 + j) * b->pitch + (x * 16 + i) * 2);
        return sum;
    }
    MapData* map_ = mapdata_new();
    fs::path old_;
};

// Tileset bytes that decode to nothing are drawn with the built-in tileset.
TEST_F(Render, UndecodableTilesetFallsBackToTheBuiltInOne) {
    open();
    map_->tileset = static_cast<uint8_t*>(mem_alloc(4));
    map_->tileset_length = 4;
    ASSERT_EQ(gfx_ensure_tileset(map_), 0);
    EXPECT_EQ(gfx_tileset(map_)->w, 304);
}

TEST(Help, PagesStartAtHashLinesAndLongLinesArriveIn89CharacterPieces) {
    const fs::path path = fs::temp_directory_path() / ("ostrel-" + std::to_string(getpid()));
    std::ofstream(path) << "intro\n#" + std::string(199, 'a') + "\n%Gx%Yy\n#two\n" +
                               std::string(89, 'b') + "\nc\r\n";
    helpviewer_load(path.c_str());
    fs::remove(path);
    EXPECT_EQ(helpviewer_page_count(), 2);
    const struct {
        int page, visible;
        std::string text;
    } lines[] = {{-1, 5, "intro"},
                 {0, 88, std::string(88, 'a')},
                 {0, 89, std::string(89, 'a')},
                 {0, 22, std::string(22, 'a')},
                 {0, 2, "%Gx%Yy"},
                 {1, 3, "two"},
                 {1, 89, std::string(89, 'b')},
                 {1, 0, ""},
                 {1, 1, "c"}};
    ASSERT_EQ(g_help.line_count, 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(g_help.lines[i].page, lines[i].page) << i;
        EXPECT_EQ(g_help.lines[i].visible_length, lines[i].visible) << i;
        EXPECT_EQ(g_help.lines[i].text, lines[i].text) << i;
    }
    helpviewer_load("/nonexistent/Commands.hlp");
    EXPECT_EQ(helpviewer_page_count(), 0);
    helpviewer_release();
}

TEST_F(Render, ViewAndRadarRedrawOnlyWhenStaleOrMoved) {
    open();
    gfx_set_zoom(1);
    gfx_draw_map(map_, 0, 0, 0, 0, -1, -1);
    gfx_draw_radar(map_, 0, 0, 0, 0);
    const uint32_t empty = buffer_pixel(2, 2);
    tilegrid_put(map_->tiles, 2, 2, 7);
    gfx_draw_map(map_, 0, 0, 0, 0, -1, -1);
    EXPECT_EQ(buffer_pixel(2, 2), empty);
    gfx_draw_map(map_, 0, 0, 1, 0, -1, -1); // another origin
    EXPECT_NE(buffer_pixel(1, 2), empty);
    tilegrid_put(map_->tiles, 2, 3, 7);
    gfx_draw_map(map_, 0, 0, 1, 0, -1, -1);
    EXPECT_EQ(buffer_pixel(1, 3), empty);
    gfx_invalidate_view();
    gfx_draw_map(map_, 0, 0, 1, 0, -1, -1);
    EXPECT_NE(buffer_pixel(1, 3), empty);

    const auto radar_pixel = [] { return *static_cast<uint16_t*>(g_gfx.radar->pixels); };
    tilegrid_put(map_->tiles, 0, 0, 172);
    gfx_draw_radar(map_, 0, 0, 0, 0);
    EXPECT_EQ(radar_pixel(), 0u);
    gfx_invalidate_radar();
    gfx_draw_radar(map_, 0, 0, 0, 0);
    EXPECT_NE(radar_pixel(), 0u);
}

// Frames are counted per second-long window; the animation steps at most every tenth of a
// second and, at zoom 1 only, makes the view stale.
TEST_F(Render, PresentCountsFramesAndStepsTheAnimation) {
    open();
    const uint32_t now = get_ticks();
    g_gfx.fps_window_end = now + 1000;
    g_gfx.anim_last_tick = now;
    g_gfx.view_stale = false;
    for (int i = 0; i < 5; ++i)
        gfx_present();
    g_gfx.fps_window_end = now - 1;
    gfx_present();
    EXPECT_EQ(std::tuple(g_gfx.frames_shown, g_gfx.frames_counted, g_gfx.anim_counter),
              std::tuple(5u, 0u, 0u));
    EXPECT_FALSE(g_gfx.view_stale);
    for (int zoom : {1, 2}) {
        gfx_set_zoom(zoom);
        g_gfx.view_stale = false;
        g_gfx.anim_last_tick = get_ticks() - 10;
        gfx_present();
        EXPECT_EQ(g_gfx.anim_counter, static_cast<uint32_t>(zoom));
        EXPECT_EQ(g_gfx.view_stale, zoom == 1);
    }
}

} // namespace
