// The main loop's event routing and frame composition under SDL's dummy video driver: key,
// quit and resize events go through the queue, frames are read back pixel by pixel.
#include "editor/editor.h"
#include "editor/editor_loop.h"
#include "editor/editor_mouse.h"
#include "editor/editor_overlay.h"
#include "editor_fixture.h"
#include "render/draw.h"
#include "render/gfx.h"

#include <SDL.h>

#include <filesystem>

namespace {

class Loop : public EditorFixture {
  protected:
    void SetUp() override {
        old_cwd = std::filesystem::current_path();
        std::filesystem::path graphics = std::filesystem::path(OSTREL_RUN_DIR) / "graphics";
        if (!std::filesystem::exists(graphics) || std::filesystem::is_empty(graphics))
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
    static void push_key(int type, int key) {
        SDL_Event event{};
        event.type = static_cast<Uint8>(type);
        event.key.type = static_cast<Uint8>(type);
        event.key.keysym.sym = static_cast<SDLKey>(key);
        SDL_PushEvent(&event);
    }
    static void press(int key) {
        push_key(SDL_KEYDOWN, key);
        push_key(SDL_KEYUP, key);
    }
    static void type_line(const char* text) {
        for (const char* p = text; *p; ++p)
            press(static_cast<unsigned char>(*p));
        press(SDLK_RETURN);
    }
    static uint32_t pixel(int x, int y) {
        SDL_Surface* s = gfx_screen();
        uint32_t value = 0;
        SDL_LockSurface(s);
        int bpp = s->format->BytesPerPixel;
        std::memcpy(&value, static_cast<const uint8_t*>(s->pixels) + y * s->pitch + x * bpp, bpp);
        SDL_UnlockSurface(s);
        return value;
    }
    std::filesystem::path old_cwd;
    bool started = false;
};

TEST_F(Loop, AWholeSessionThroughTheQueueAndTheMouse) {
    // Paint a row, pick with Ctrl, erase, scroll, zoom, set the brush, bookmark and recall.
    g_editor.selected_tile = 7;
    for (int x = 2; x <= 6; ++x)
        editor_mouse(0, MOUSE_LEFT, x, 1);
    editor_mouse(0x40, MOUSE_LEFT, 0, 0);
    EXPECT_EQ(g_editor.selected_tile, 1);
    editor_mouse(0, MOUSE_MIDDLE, 4, 1);
    EXPECT_EQ(mapdata_get_tile(map(), 4, 1), 0);
    EXPECT_EQ(mapdata_get_tile(map(), 6, 1), 7);
    g_editor.mouse_x = 520;
    g_editor.mouse_y = 440;
    editor_mouse(0, MOUSE_RIGHT, 0, 0);
    EXPECT_EQ(centre(), std::pair(2, 3));

    // All queued events are handled in one step, in order; with the menu open, letters
    // reach only the menu.
    press(SDLK_ESCAPE);
    press('a');
    press('4');
    type_line("?settile 0x10");
    push_key(SDL_KEYDOWN, SDLK_LALT);
    SDL_SetModState(KMOD_LCTRL);
    press(SDLK_F2);
    editor_input_step();
    SDL_SetModState(KMOD_NONE);
    EXPECT_EQ(g_editor.alt_held, 1);
    EXPECT_EQ(g_editor.zoom, 4);
    EXPECT_EQ(g_editor.menu_open, 0);
    EXPECT_EQ(g_editor.selected_tile, 16);
    EXPECT_EQ(row(6), "holding tile: 16");
    EXPECT_EQ(row(7), "bookmark 1 set: (0, 0)");
    push_key(SDL_KEYUP, SDLK_LALT);
    press(SDLK_INSERT);
    editor_input_step();
    EXPECT_EQ(g_editor.alt_held, 0);
    EXPECT_EQ(g_editor.view_center_x, 8192);
    SDL_SetModState(KMOD_RSHIFT);
    press(SDLK_F2);
    editor_input_step();
    SDL_SetModState(KMOD_NONE);
    EXPECT_EQ(centre(), std::pair(2, 3));

    // A resize takes the new size for the screen; a quit event ends the loop.
    SDL_Event event{};
    event.type = SDL_VIDEORESIZE;
    event.resize.w = 500;
    event.resize.h = 300;
    EXPECT_EQ(editor_window_event(&event, 0), 1);
    EXPECT_EQ(g_editor.screen_width, 500);
    EXPECT_EQ(g_editor.screen_height, 300);
    EXPECT_EQ(gfx_screen()->w, 500);
    event = SDL_Event{};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
    editor_run();
    EXPECT_EQ(g_editor.running, 0);
}

TEST_F(Loop, FrameShowsHoverStatusAndMenu) {
    uint32_t grey = gfx_map_colour(COLOUR_GREY);
    uint32_t red = gfx_map_colour(COLOUR_RED);
    g_editor.view_center_x = g_editor.view_center_y = 8192;
    editor_update_view();
    g_editor.mouse_x = g_editor.mouse_y = 100;
    editor_redraw_step();
    EXPECT_EQ(pixel(100, 100), red);
    EXPECT_EQ(pixel(115, 115), red);
    g_editor.menu_open = 1;
    editor_redraw_step();
    EXPECT_EQ(pixel(181, 2), grey);
    EXPECT_EQ(pixel(458, 79), grey);
    EXPECT_EQ(pixel(300, 60), 0u);
    // The region list panel: one row for "New region", 12 pixels high.
    g_editor.menu_open = 0;
    g_editor.region_list_shown = 1;
    editor_redraw_step();
    EXPECT_EQ(pixel(4, 4), grey);
    EXPECT_EQ(pixel(163, 15), grey);
}

TEST_F(Loop, StatusShowsTheBrushNumberRightAligned) {
    uint32_t grey = gfx_map_colour(COLOUR_GREY);
    auto lit = [&](int x0) {
        int count = 0;
        for (int y = 12; y < 20; ++y)
            for (int x = x0; x < x0 + 8; ++x)
                count += pixel(x, y) == grey;
        return count;
    };
    g_editor.selected_tile = 7;
    gfx_clear_rect(nullptr, 0, 0, 640, 40);
    editor_draw_status();
    EXPECT_EQ(lit(640 - 56), 0);
    EXPECT_EQ(lit(640 - 48), 0);
    EXPECT_GT(lit(640 - 40), 0);
    g_editor.selected_tile = 255;
    gfx_clear_rect(nullptr, 0, 0, 640, 40);
    editor_draw_status();
    EXPECT_GT(lit(640 - 56), 0);
}

} // namespace
