// The main loop's event router and input step: SDL's queue read in order, each event with its
// own modifiers and position (the resize path: session.sh).
#include "editor/editor.h"
#include "editor/editor_loop.h"
#include "editor/editor_mouse.h"
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
        gfx_set_video_size(app().gfx, app().view.screen_width, app().view.screen_height, 16);
        gfx_init(app().gfx);
        started = true;
    }
    void TearDown() override {
        if (started) {
            gfx_shutdown(app().gfx);
            EditorFixture::TearDown();
        }
        std::filesystem::current_path(old_cwd);
    }
    static void push(int type, int key = 0, int mod = 0, int typed = 0) {
        SDL_Event event{};
        event.type = static_cast<Uint8>(type);
        event.key.keysym.sym = static_cast<SDLKey>(key);
        event.key.keysym.mod = static_cast<SDLMod>(mod);
        event.key.keysym.unicode = static_cast<Uint16>(typed);
        SDL_PushEvent(&event);
    }
    // A button event at window pixel at; click() queues a press and release for the same step.
    static void button(int type, std::pair<int, int> at, int which = SDL_BUTTON_LEFT) {
        SDL_Event event{};
        event.type = static_cast<Uint8>(type);
        event.button.button = static_cast<Uint8>(which);
        event.button.x = static_cast<Uint16>(at.first);
        event.button.y = static_cast<Uint16>(at.second);
        SDL_PushEvent(&event);
    }
    static void click(std::pair<int, int> at) {
        button(SDL_MOUSEBUTTONDOWN, at);
        button(SDL_MOUSEBUTTONUP, at);
    }
    // The window pixel at the middle of map cell (x, y).
    static std::pair<int, int> pixel(int x, int y) {
        const View& v = app().view;
        return {(x - v.tile_x) * 16 + v.offset_x + 8, (y - v.tile_y) * 16 + v.offset_y + 8};
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
    EXPECT_TRUE(app().view.zoom == 4 && app().menu_open == 0 && app().alt_held == 1);
    EXPECT_EQ(app().mouse_tools.tool, MouseTool::Line);
    push(SDL_KEYUP, SDLK_RALT);
    editor_input_step();
    EXPECT_EQ(app().alt_held, 0);
    push(SDL_QUIT);
    editor_run();
    EXPECT_EQ(app().running, 0);
}

// Presses and releases shorter than a step each count, at their own place (ten clicks and a
// palette tap in a real window: events_session.sh): a Ctrl held for one click picks from the
// map, a line runs from its press to its release.
TEST_F(Loop, EveryClickWithinOneStepActsAtItsOwnPlace) {
    tilegrid_put(map()->tiles, 11, 13, 5);
    app().selected_tile = 190;
    push(SDL_KEYDOWN, SDLK_LCTRL);
    click(pixel(11, 13));
    push(SDL_KEYUP, SDLK_LCTRL);
    click(pixel(30, 30));
    push(SDL_KEYDOWN, 'l');
    button(SDL_MOUSEBUTTONDOWN, pixel(40, 40));
    button(SDL_MOUSEBUTTONUP, pixel(43, 40));
    editor_input_step();
    EXPECT_EQ(std::pair(app().selected_tile, mapdata_get_tile(map(), 30, 30)), std::pair(5, 5));
    for (int x = 40; x <= 43; ++x)
        EXPECT_EQ(mapdata_get_tile(map(), x, 40), 5) << x;
}

// Text typed faster than a step keeps each key's own Shift and character.
TEST_F(Loop, FastTypingKeepsEachKeysShift) {
    push(SDL_KEYDOWN, SDLK_LSHIFT);
    push(SDL_KEYDOWN, '/', KMOD_LSHIFT, '?');
    push(SDL_KEYUP, SDLK_LSHIFT, 0);
    for (char c : std::string("rect"))
        push(SDL_KEYDOWN, c, 0, c);
    push(SDL_KEYDOWN, 'x', KMOD_LSHIFT); // without a character, the key and its Shift
    push(SDL_KEYDOWN, ';', 0, ':');      // a character of another layout is taken as typed
    editor_input_step();
    EXPECT_STREQ(app().console.input, "?rectX:");
}

} // namespace
