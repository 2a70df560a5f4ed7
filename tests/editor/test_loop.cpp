// The main loop's cadences, the event routers and the resize path.
#include "editor/editor.h"
#include "editor/editor_loop.h"
#include "editor/mouse_tools.h"
#include "editor_fixture.h"
#include "render/gfx.h"

#include <SDL.h>

#include <filesystem>

namespace {

// Input on every new tick, a frame when three ticks have passed, a present after two; the
// unsigned differences keep the steps coming when the 31-bit tick wraps to 0.
TEST(Cadence, InputEveryTickFrameEveryThirdPresentEverySecond) {
    LoopClock clock = {0, 0, 0};
    const struct {
        uint32_t tick, due;
    } steps[] = {
        {0, 0},
        {1, LOOP_INPUT},
        {1, 0},
        {2, LOOP_INPUT | LOOP_PRESENT},
        {3, LOOP_INPUT | LOOP_REDRAW},
        {4, LOOP_INPUT | LOOP_PRESENT},
        {6, LOOP_INPUT | LOOP_REDRAW | LOOP_PRESENT},
        {7, LOOP_INPUT},
        {0x7FFFFFFF, LOOP_INPUT | LOOP_REDRAW | LOOP_PRESENT},
        {0, LOOP_INPUT | LOOP_REDRAW | LOOP_PRESENT},
        {1, LOOP_INPUT},
        {2, LOOP_INPUT | LOOP_PRESENT},
        {3, LOOP_INPUT | LOOP_REDRAW},
    };
    for (const auto& s : steps)
        EXPECT_EQ(editor_loop_due(&clock, s.tick), s.due) << "tick " << s.tick;
}

class Loop : public EditorFixture {
  protected:
    void SetUp() override {
        old_cwd = std::filesystem::current_path();
        if (!std::filesystem::exists(std::filesystem::path(OSTREL_RUN_DIR) / "graphics/tiles.bm2"))
            GTEST_SKIP() << "the generated graphics are missing in " OSTREL_RUN_DIR;
        std::filesystem::current_path(OSTREL_RUN_DIR);
        EditorFixture::SetUp();
        gfx_set_video_size(g_editor.screen_width, g_editor.screen_height, 16);
        gfx_init();
        started = true;
    }
    void TearDown() override {
        if (started) {
            gfx_shutdown();
            EditorFixture::TearDown();
        }
        std::filesystem::current_path(old_cwd);
    }
    static void push(int type, int key = 0) {
        SDL_Event event{};
        event.type = static_cast<Uint8>(type);
        event.key.keysym.sym = static_cast<SDLKey>(key);
        SDL_PushEvent(&event);
    }
    std::filesystem::path old_cwd;
    bool started = false;
};

// A resize takes the new size for the window and the view; the view is derived again from
// the same centre.
TEST_F(Loop, ResizeRemakesTheWindowAndTheView) {
    g_editor.view_center_x = g_editor.view_center_y = 8192;
    editor_update_view();
    SDL_Event event{};
    event.type = SDL_VIDEORESIZE;
    event.resize.w = 320;
    event.resize.h = 256;
    SDL_PushEvent(&event);
    editor_input_step();
    EXPECT_EQ(gfx_screen()->w, 320);
    EXPECT_EQ(gfx_screen()->h, 256);
    EXPECT_EQ(g_editor.screen_width, 320);
    EXPECT_EQ(g_editor.view_tile_x, 512 - 10);
    EXPECT_EQ(g_editor.view_tile_y, 512 - 8);
}

// Every queued event is handled in one step, in order; with the menu open, keys reach only
// the menu; Alt is tracked across press and release; a quit event ends the loop.
TEST_F(Loop, EventsRouteToMenuOrEditingKeysAndQuitEndsTheLoop) {
    push(SDL_KEYDOWN, SDLK_ESCAPE);
    push(SDL_KEYDOWN, 'r');
    push(SDL_KEYDOWN, '4');
    push(SDL_KEYDOWN, 'l');
    push(SDL_KEYDOWN, SDLK_LALT);
    editor_input_step();
    EXPECT_EQ(g_editor.zoom, 4);
    EXPECT_EQ(g_editor.menu_open, 0);
    EXPECT_EQ(g_mouse_tools.tool, MouseTool::Line);
    EXPECT_EQ(g_editor.alt_held, 1);
    push(SDL_KEYUP, SDLK_RALT);
    editor_input_step();
    EXPECT_EQ(g_editor.alt_held, 0);
    push(SDL_QUIT);
    editor_run();
    EXPECT_EQ(g_editor.running, 0);
}

} // namespace
