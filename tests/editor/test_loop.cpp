// The main loop's event routers (the resize path: session.sh).
#include "editor/editor.h"
#include "editor/editor_loop.h"
#include "editor/mouse_tools.h"
#include "editor_fixture.h"
#include "render/gfx.h"

#include <SDL.h>

#include <filesystem>

namespace {

class Loop : public EditorFixture {
  protected:
    void SetUp() override {
        old_cwd = std::filesystem::current_path();
        if (!std::filesystem::exists(std::filesystem::path(OSTREL_RUN_DIR) / "graphics/tiles.bm2"))
            GTEST_SKIP() << "the generated graphics are missing in " OSTREL_RUN_DIR;
        std::filesystem::current_path(OSTREL_RUN_DIR);
        EditorFixture::SetUp();
        gfx_set_video_size(app().view.screen_width, app().view.screen_height, 16);
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

// Every queued event is handled in one step, in order; with the menu open, keys reach only
// the menu; Alt is tracked across press and release; a quit event ends the loop.
TEST_F(Loop, EventsRouteToMenuOrEditingKeysAndQuitEndsTheLoop) {
    push(SDL_KEYDOWN, SDLK_ESCAPE);
    push(SDL_KEYDOWN, 'r');
    push(SDL_KEYDOWN, '4');
    push(SDL_KEYDOWN, 'l');
    push(SDL_KEYDOWN, SDLK_LALT);
    editor_input_step();
    EXPECT_EQ(app().view.zoom, 4);
    EXPECT_EQ(app().menu_open, 0);
    EXPECT_EQ(app().mouse_tools.tool, MouseTool::Line);
    EXPECT_EQ(app().alt_held, 1);
    push(SDL_KEYUP, SDLK_RALT);
    editor_input_step();
    EXPECT_EQ(app().alt_held, 0);
    push(SDL_QUIT);
    editor_run();
    EXPECT_EQ(app().running, 0);
}

} // namespace
