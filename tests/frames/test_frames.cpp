// Whole frames of the editor from fixed scenes under the dummy video driver, compared with the
// stored images in tests/golden/ (make golden rewrites them after an intended change).
// To add a scene: append a row to kScenes with a name, a window size and what to set up.
#include "editor/commands/commands.h"
#include "console/console.h"
#include "editor/editor.h"
#include "editor/editor_keys.h"
#include "editor/editor_loop.h"
#include "editor/editor_mouse.h"
#include "editor/editor_state.h"
#include "editor/regionlist.h"
#include "frames/golden.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"
#include "map/edit/region_edit.h"
#include "map/model/stamp.h"
#include "render/draw.h"
#include "render/gfx.h"
#include "render/gfx_state.h"
#include "render/helpviewer.h"
#include "render/mapview.h"
#include "test_util.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

// Centre of the drawn area in map pixels; at zoom 1 it leaves the view offset at (-5, -11).
constexpr int kCentreX = 8261, kCentreY = 8235;

// Every tileset picture, the five animated objects (one anchored above-left of the view, so
// only its lower right shows), the icon tiles, and two selectable regions.
void paint_scene_map(MapEdit map) {
    for (int t = 1; t <= 190; ++t)
        edit_paint(map, 507 + (t - 1) % 19, 508 + (t - 1) / 19, t);
    const int objects[][3] = {
        {503, 504, 220}, {510, 519, 216}, {514, 519, 217}, {518, 519, 218}, {522, 519, 219}};
    for (const auto& o : objects)
        edit_paint(map, o[0], o[1], o[2]);
    const int icons[] = {241, 242, 252, 255, 251};
    for (int i = 0; i < 5; ++i)
        edit_paint(map, 527 + i, 507, icons[i]);
    region_add_rect(add_region(map, "Base"), 509, 510, 6, 4);
    // Names longer than the list's ten-character column.
    for (const char* name : {"Alpha Sector", "Bravo Sector", "Charlie Sector", "Delta Sector",
                             "Echo Sector", "Foxtrot Sector", "Golf Sector", "Hotel Sector",
                             "India Sector", "Juliett Sector", "Kilo Sector"})
        region_add_rect(add_region(map, name), 530, 512, 2, 2);
}

void select_region(const char* name) {
    for (int k = 0; k < regionlist_count(); ++k) {
        app().regionlist.cursor = k;
        char entry[kRegionListTextSize];
        regionlist_selected(entry, nullptr);
        if (std::string(entry) == name) break;
    }
    regionlist_apply();
}

// Shift + drag from one window point to another, then Ctrl+C and Ctrl+V.
void copy_and_paste(int x0, int y0, int x1, int y1) {
    editor_mouse(MOD_SHIFT, MOUSE_LEFT, x0, y0);
    editor_mouse(0, MOUSE_LEFT, x1, y1);
    editor_mouse(0, 0, x1, y1);
    editor_key('c', MOD_CTRL);
    editor_key('v', MOD_CTRL);
}

void set_zoom(int zoom) {
    editor_menu_key(KEY_ESCAPE, 0);
    app().menu_open = 1;
    editor_menu_key('0' + zoom, 0);
}

void push_key(int key) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = static_cast<SDLKey>(key);
    SDL_PushEvent(&event);
}

// Right button with the pointer at (x, y): one scroll step toward it.
void scroll_toward(int x, int y) {
    app().mouse_x = x;
    app().mouse_y = y;
    editor_mouse(0, MOUSE_RIGHT, 0, 0);
}

struct Scene {
    const char* name;
    int width, height;
    int mouse_x, mouse_y; // pointer for the hover box
    void (*setup)();
};

const Scene kScenes[] = {
    // Grid, objects, region highlight, hover at a non-zero view offset; a Right press queued
    // in the same step moves the view by a tile, and the hover shows the cell now under it.
    {"zoom1_grid", 320, 240, 92, 61,
     [] {
         select_region("Base");
         console_print(app().console, COLOUR_TRANSLUCENT + 4, "a translucent yellow row");
         push_key(SDLK_RIGHT);
     }},
    // No grid; the menu over eight console rows in every colour and a two-piece input line.
    {"zoom1_menu", 320, 240, 40, 200,
     [] {
         app().view.grid_shown = 0;
         for (int c = 0; c < 10; ++c)
             console_print(app().console, static_cast<uint8_t>(c < 5 ? c + 3 : c + 4), "row %d colour %d", c,
                           c < 5 ? c + 3 : c + 4);
         for (const char* p = "?warpto 512 512 and a line longer than forty chars"; *p; ++p)
             console_key(app().console, static_cast<unsigned char>(*p), 0);
         app().menu_open = 1;
     }},
    // Zoom 2 with the grid on, the region highlight, a scroll step and the tile palette.
    {"zoom2_palette", 480, 300, 77, 53,
     [] {
         app().view.center_x = 8480;
         app().view.center_y = 8300;
         set_zoom(2);
         select_region("Base");
         scroll_toward(100, 20);
         app().view.palette_shown = 1;
         app().selected_tile = 217;
     }},
    // Zoom 4 without the grid, the highlight in the region's colour, a scroll step and the
    // radar (Alt held).
    {"zoom4_radar", 480, 300, 150, 90,
     [] {
         const uint8_t green[3] = {40, 220, 60};
         app().view.center_x = 8992;
         set_zoom(4);
         app().view.grid_shown = 0;
         edit_region_colour(app_map(),
                            mapdata_find_region(app_map(), "Base"), green);
         select_region("Base");
         scroll_toward(300, 30);
         app().alt_held = 1;
         app().selected_tile = 162;
     }},
    // Zoom 4 tile pictures; the status box with the unsaved marker, the hovered cell and the
    // region; the frame rate (F6); the hover label turned back at the window's right edge.
    {"zoom4_status", 480, 300, 474, 150,
     [] {
         set_zoom(4);
         select_region("Base");
         app().doc.saved_revision = app_map()->revision + 1;
         editor_key(KEY_F6, 0);
         app().selected_tile = 25;
     }},
    // Zoom 2 with the pointer on the palette: the brush outlined, the pointed tile's number.
    {"zoom2_palette_hover", 480, 300, 300, 200,
     [] {
         set_zoom(2);
         app().view.palette_shown = 1;
         app().selected_tile = 40;
     }},
    // The region list paged down twice: the cursor on a later page; brush 255 in the status.
    {"region_list", 320, 240, 200, 150,
     [] {
         editor_key(KEY_F2, 0);
         editor_key(KEY_PAGE_DOWN, MOD_SHIFT);
         editor_key(KEY_PAGE_DOWN, MOD_SHIFT);
         app().selected_tile = 255;
     }},
    // Regions in colours of their own: the selected one highlighted in its colour, every one's
    // cells woven in it, swatches and flag letters in the list.
    {"region_colours", 320, 240, 200, 150,
     [] {
         MapEdit map = app_map();
         const uint8_t green[3] = {40, 220, 60}, orange[3] = {250, 140, 20};
         edit_region_colour(map, mapdata_find_region(map, "Base"), green);
         edit_region_flag(map, mapdata_find_region(map, "Base"), "rBSE", true);
         edit_region_colour(map, mapdata_find_region(map, "Alpha Sector"), orange);
         editor_key(KEY_F2, 0);
         regionlist_sync();
         select_region("Base");
         console_command("?regions all"); // and every region's cells woven in its colour
     }},
    // A Shift + drag selection copied and being pasted: the marching outline around the
    // selection and the translucent piece under the pointer, outlined too.
    {"tools_zoom1", 320, 240, 60, 150, [] { copy_and_paste(508, 509, 514, 512); }},
    // The same at zoom 4, the piece reaching past the window's edge.
    {"tools_zoom4", 320, 240, 290, 40,
     [] {
         set_zoom(4);
         copy_and_paste(500, 500, 530, 520);
     }},
    // The second page of help lines of our own: colours carry from line to line within a
    // page, and each page starts in green.
    {"help_page", 320, 120, 300, 100,
     [] {
         helpviewer_release(app().help);
         for (const char* line : {"#%YFirst page%W ends in grey", "#Second page %xred",
                                  "carried red, %Bblue%W, %Ggreen%Y yellow", "and %Pon"})
             helpviewer_add_line(app().help, line);
         editor_key(KEY_F1, 0);
         editor_key(KEY_F1, 0);
     }},
};

class Frame : public ::testing::TestWithParam<Scene> {
  protected:
    void SetUp() override {
        old_cwd_ = std::filesystem::current_path();
        if (!std::filesystem::exists(std::filesystem::path(OSTREL_RUN_DIR) / "graphics/tiles.bm2"))
            GTEST_SKIP() << "the generated graphics are missing in " OSTREL_RUN_DIR;
        std::filesystem::current_path(OSTREL_RUN_DIR);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        const Scene& s = GetParam();
        editor_ = std::make_unique<Editor>();
        app_bind(editor_.get());
        app().view.screen_width = static_cast<int16_t>(s.width);
        app().view.screen_height = static_cast<int16_t>(s.height);
        app().view.center_x = kCentreX;
        app().view.center_y = kCentreY;
        app().doc.map.reset(mapdata_load(""));
        paint_scene_map(app_map());
        app().gfx = GfxState{};
        gfx_set_video_size(app().gfx, s.width, s.height, 16);
        editor_init();
        started_ = true;
    }
    void TearDown() override {
        if (started_) {
            editor_shutdown();
            app_bind(nullptr);
        }
        std::filesystem::current_path(old_cwd_);
    }
    std::filesystem::path old_cwd_;
    std::unique_ptr<Editor> editor_;
    bool started_ = false;
};

TEST_P(Frame, MatchesTheStoredImage) {
    const Scene& s = GetParam();
    s.setup();
    SDL_WarpMouse(static_cast<Uint16>(s.mouse_x), static_cast<Uint16>(s.mouse_y));
    editor_input_step();
    editor_redraw_step();
    gfx_present(app().gfx); // the frame-rate figure
    EXPECT_EQ(golden_check(gfx_screen(app().gfx), s.name), "");
}

INSTANTIATE_TEST_SUITE_P(Scenes, Frame, ::testing::ValuesIn(kScenes),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
