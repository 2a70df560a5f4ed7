// test_gfx_setup.cpp - window start-up, bitmaps, resizing and the tileset fall-backs.
#include <fstream>

#include "core/mem.h"
#include "editor/editor_state.h"
#include "render_fixture.h"

namespace fs = std::filesystem;

class GfxSetupTest : public RenderTest {};

TEST_F(GfxSetupTest, OpensDefaultWindowWithCaptionBitmapsAndMapBuffer) {
    folder_ = std::make_unique<ScopedFolder>(OSTREL_RUN_DIR);
    g_gfx = GfxState{};
    gfx_init();
    ASSERT_NE(gfx_screen(), nullptr);
    EXPECT_EQ(gfx_screen()->w, 640);
    EXPECT_EQ(gfx_screen()->h, 480);
    EXPECT_EQ(g_gfx.video_depth, 16);
    char* title = nullptr;
    SDL_WM_GetCaption(&title, nullptr);
    ASSERT_NE(title, nullptr);
    EXPECT_STREQ(title, "Ostrel v0.2.4");
    ASSERT_NE(g_gfx.map_buffer, nullptr);
    EXPECT_EQ(g_gfx.map_buffer->w, 656);
    EXPECT_EQ(g_gfx.map_buffer->h, 496);
    ASSERT_NE(g_gfx.font, nullptr);
    EXPECT_EQ(g_gfx.font->w, 384);
    EXPECT_EQ(g_gfx.font->h, 128);
    for (SDL_Surface* sheet : g_gfx.sprites)
        EXPECT_NE(sheet, nullptr);
    ASSERT_NE(g_gfx.extra_tiles, nullptr);
    EXPECT_EQ(g_gfx.extra_tiles->w, 144);
    EXPECT_EQ(g_gfx.extra_tiles->h, 16);
    ASSERT_NE(g_gfx.highlight, nullptr);
    EXPECT_TRUE(g_gfx.highlight->flags & SDL_SRCALPHA);
    EXPECT_EQ(g_gfx.highlight->format->alpha, 128);
    EXPECT_TRUE(g_gfx.view_stale);
    EXPECT_EQ(g_gfx.zoom, 1);
    EXPECT_EQ(g_gfx.radar, nullptr);
}

TEST_F(GfxSetupTest, SpriteSheetsHaveTheirFrameGrids) {
    open_window();
    // Frames are the object's size in cells x 16 pixels: 1, 2, 1, 6, 5 cells.
    const int widths[5] = {15 * 16, 10 * 32, 15 * 16, 5 * 96, 4 * 80};
    const int heights[5] = {2 * 16, 3 * 32, 2 * 16, 2 * 96, 6 * 80};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(g_gfx.sprites[i]->w, widths[i]) << "sheet " << i + 1;
        EXPECT_EQ(g_gfx.sprites[i]->h, heights[i]) << "sheet " << i + 1;
    }
}

TEST_F(GfxSetupTest, ResizeRemakesMapBufferAndForcesRedraw) {
    open_window();
    g_gfx.view_stale = false;
    gfx_set_video_mode(800, 600);
    EXPECT_EQ(gfx_screen()->w, 800);
    EXPECT_EQ(gfx_screen()->h, 600);
    ASSERT_NE(g_gfx.map_buffer, nullptr);
    EXPECT_EQ(g_gfx.map_buffer->w, 816);
    EXPECT_EQ(g_gfx.map_buffer->h, 616);
    EXPECT_EQ(g_gfx.video_width, 800);
    EXPECT_EQ(g_gfx.video_height, 600);
    EXPECT_TRUE(g_gfx.view_stale);
}

class EmptyGraphicsTest : public RenderTest {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("ostrel-render-" + std::to_string(getpid()));
        fs::create_directories(root_ / "graphics");
        g_editor.running = 1;
    }
    void TearDown() override {
        RenderTest::TearDown();
        fs::remove_all(root_);
    }
    fs::path root_;
};

TEST_F(EmptyGraphicsTest, WindowOpensWithoutBitmapsAndTextDrawsNothing) {
    open_window(640, 480, root_.c_str());
    EXPECT_EQ(g_gfx.font, nullptr);
    for (SDL_Surface* sheet : g_gfx.sprites)
        EXPECT_EQ(sheet, nullptr);
    EXPECT_EQ(g_gfx.highlight, nullptr);
    EXPECT_EQ(g_gfx.extra_tiles, nullptr);
    EXPECT_NE(g_gfx.map_buffer, nullptr);
}

TEST_F(EmptyGraphicsTest, NoTilesetAnywhereLogsTheExitLineAndStopsTheLoop) {
    open_window(640, 480, root_.c_str());
    MapData* map = new_map();
    testing::internal::CaptureStderr();
    EXPECT_EQ(gfx_ensure_tileset(map), 1);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log, "*** ostrel exiting: failed to load tileset\n");
    EXPECT_EQ(g_editor.running, 0);
    EXPECT_EQ(map->tileset_surface, nullptr);
}

TEST_F(EmptyGraphicsTest, MapWithTilesetBytesFallsBackToTheCopyThenToTheDefault) {
    open_window(640, 480, root_.c_str());
    MapData* map = new_map();
    map->tileset = static_cast<uint8_t*>(mem_alloc(4)); // bytes whose surface was never made
    map->tileset_length = 4;
    // Only the default tileset: the copy fails first and says so.
    fs::copy_file(fs::path(OSTREL_RUN_DIR) / "graphics" / "tiles.bm2",
                  root_ / "graphics" / "tiles.bm2");
    testing::internal::CaptureStderr();
    EXPECT_EQ(gfx_ensure_tileset(map), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "E failed to load embedded tileset\n");
    EXPECT_NE(map->tileset_surface, nullptr);
    SDL_FreeSurface(map->tileset_surface);
    map->tileset_surface = nullptr;

    // With the copy present it is used and nothing is logged.
    fs::copy_file(fs::path(OSTREL_RUN_DIR) / "graphics" / "extratiles.bmp",
                  root_ / "graphics" / "last-tiles.bmp");
    testing::internal::CaptureStderr();
    EXPECT_EQ(gfx_ensure_tileset(map), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_NE(map->tileset_surface, nullptr);
    EXPECT_EQ(map->tileset_surface->w, 144); // the copy, not the 304-pixel default
    EXPECT_EQ(g_editor.running, 1);
}

TEST_F(EmptyGraphicsTest, MapWithoutBytesUsesTheDefaultTileset) {
    fs::copy_file(fs::path(OSTREL_RUN_DIR) / "graphics" / "tiles.bm2",
                  root_ / "graphics" / "tiles.bm2");
    open_window(640, 480, root_.c_str());
    MapData* map = new_map();
    testing::internal::CaptureStderr();
    EXPECT_EQ(gfx_ensure_tileset(map), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_NE(map->tileset_surface, nullptr);
    EXPECT_EQ(map->tileset_surface->w, 304);
    EXPECT_EQ(map->tileset_surface->h, 160);
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
