// test_gfx_setup.cpp - window start-up, bitmaps, resizing and the tileset fall-backs.
#include "editor/editor_state.h"
#include "render_fixture.h"

namespace fs = std::filesystem;

class GfxSetupTest : public RenderTest {};

TEST_F(GfxSetupTest, OpensDefaultWindowWithCaptionBitmapsAndMapBufferThenResizes) {
    enter(OSTREL_RUN_DIR);
    g_gfx = GfxState{};
    gfx_init();
    ASSERT_NE(gfx_screen(), nullptr);
    const auto size = [](SDL_Surface* s) { return std::make_pair(s->w, s->h); };
    EXPECT_EQ(size(gfx_screen()), std::make_pair(640, 480));
    char* title = nullptr;
    SDL_WM_GetCaption(&title, nullptr);
    ASSERT_NE(title, nullptr);
    EXPECT_STREQ(title, "Ostrel v0.2.4");
    ASSERT_TRUE(g_gfx.map_buffer && g_gfx.font && g_gfx.extra_tiles && g_gfx.highlight);
    EXPECT_EQ(size(g_gfx.map_buffer), std::make_pair(656, 496));
    EXPECT_EQ(size(g_gfx.font), std::make_pair(384, 128));
    EXPECT_EQ(size(g_gfx.extra_tiles), std::make_pair(144, 16));
    EXPECT_EQ(g_gfx.highlight->format->alpha, 128);
    // Frames are the object's size in cells x 16 pixels: 1, 2, 1, 6, 5 cells.
    const int widths[5] = {15 * 16, 10 * 32, 15 * 16, 5 * 96, 4 * 80};
    const int heights[5] = {2 * 16, 3 * 32, 2 * 16, 2 * 96, 6 * 80};
    for (int i = 0; i < 5; ++i) {
        ASSERT_NE(g_gfx.sprites[i], nullptr) << i;
        EXPECT_EQ(size(g_gfx.sprites[i]), std::make_pair(widths[i], heights[i])) << i + 1;
    }
    // A resize remakes the map buffer and forces a redraw.
    g_gfx.view_stale = false;
    gfx_set_video_mode(800, 600);
    EXPECT_EQ(size(gfx_screen()), std::make_pair(800, 600));
    ASSERT_NE(g_gfx.map_buffer, nullptr);
    EXPECT_EQ(size(g_gfx.map_buffer), std::make_pair(816, 616));
    EXPECT_TRUE(g_gfx.view_stale);
}

// A run folder whose "graphics" folder starts empty.
class EmptyGraphicsTest : public RenderTest {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("ostrel-render-" + std::to_string(getpid()));
        fs::create_directories(root_ / "graphics");
        g_editor.running = 1;
        gfx_set_stop_hook([] { g_editor.running = 0; });
    }
    void TearDown() override {
        RenderTest::TearDown();
        fs::remove_all(root_);
    }
    void copy_in(const char* from, const char* to) {
        fs::copy_file(fs::path(OSTREL_RUN_DIR) / "graphics" / from, root_ / "graphics" / to);
    }
    fs::path root_;
};

TEST_F(EmptyGraphicsTest, NoBitmapsNoTilesetLogsTheExitLineAndStopsTheLoop) {
    open_window(640, 480, root_.c_str());
    EXPECT_EQ(g_gfx.font, nullptr);
    EXPECT_EQ(g_gfx.extra_tiles, nullptr);
    EXPECT_NE(g_gfx.map_buffer, nullptr);
    MapData* map = new_map();
    testing::internal::CaptureStderr();
    EXPECT_EQ(gfx_ensure_tileset(map), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "*** ostrel exiting: failed to load tileset\n");
    EXPECT_EQ(g_editor.running, 0);
    EXPECT_EQ(map->tileset_surface, nullptr);
}

TEST_F(EmptyGraphicsTest, TilesetFallsBackToTheCopyThenToTheDefault) {
    copy_in("tiles.bm2", "tiles.bm2");
    open_window(640, 480, root_.c_str());
    MapData* map = new_map();
    // A map without tileset bytes takes the default silently.
    testing::internal::CaptureStderr();
    EXPECT_EQ(gfx_ensure_tileset(map), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_NE(map->tileset_surface, nullptr);
    EXPECT_EQ(map->tileset_surface->w, 304);
    SDL_FreeSurface(map->tileset_surface);
    map->tileset_surface = nullptr;

    // Bytes whose surface was never made, and no copy: the copy fails and says so.
    map->tileset = static_cast<uint8_t*>(mem_alloc(4));
    map->tileset_length = 4;
    testing::internal::CaptureStderr();
    EXPECT_EQ(gfx_ensure_tileset(map), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "E failed to load embedded tileset\n");
    ASSERT_NE(map->tileset_surface, nullptr);
    EXPECT_EQ(map->tileset_surface->w, 304);
    SDL_FreeSurface(map->tileset_surface);
    map->tileset_surface = nullptr;

    // With the copy present it is used and nothing is logged.
    copy_in("extratiles.bmp", "last-tiles.bmp");
    testing::internal::CaptureStderr();
    EXPECT_EQ(gfx_ensure_tileset(map), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_NE(map->tileset_surface, nullptr);
    EXPECT_EQ(map->tileset_surface->w, 144); // the copy, not the 304-pixel default
    EXPECT_EQ(g_editor.running, 1);
}

TEST(GfxStartFailureDeathTest, NoVideoDriverEndsWithStatusOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
            gfx_init();
        },
        testing::ExitedWithCode(1), "E sdl failed: ");
}
