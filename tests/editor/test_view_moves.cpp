// Moving around the map: wheel zoom about the pointer (and its limits), the paced right-button
// scroll, the opening view, and panels that keep their clicks from the map (arrow steps and
// radar clicks: view_session.sh).
#include "editor/editor_loop.h"
#include "editor/editor_mouse.h"
#include "editor/mouse_tools.h"
#include "editor_fixture.h"
#include "render/helpviewer.h"

#include <tuple>

namespace {

using Moves = EditorFixture;

std::pair<int, int> hover_at(int px, int py) {
    const int s = 16 / app().view.zoom;
    return {(px - app().view.offset_x) / s + app().view.tile_x,
            (py - app().view.offset_y) / s + app().view.tile_y};
}

// One input step of the mouse with the pointer at window (px, py) over map cell (x, y).
void mouse_at(int px, int py, uint32_t buttons, int x = 3, int y = 3) {
    app().mouse_x = px;
    app().mouse_y = py;
    editor_mouse(0, buttons, x, y);
}

void wheel(int button, int px, int py) {
    editor_input_event({.kind = InputKind::ButtonDown, .button = button, .x = px, .y = py});
}

TEST_F(Moves, WheelZoomKeepsTheCellUnderThePointer) {
    struct Case {
        int zoom, centre, px, py, button, zoom_after;
    } cases[] = {
        {1, 8200, 100, 70, MOUSE_WHEEL_DOWN, 2}, {2, 8192, 600, 400, MOUSE_WHEEL_DOWN, 4},
        {4, 4000, 13, 400, MOUSE_WHEEL_UP, 2},   {2, 9000, 333, 111, MOUSE_WHEEL_UP, 1},
        {4, 8192, 5, 5, MOUSE_WHEEL_DOWN, 4},    {1, 8192, 5, 5, MOUSE_WHEEL_UP, 1},
    };
    for (const Case& c : cases) {
        app().view.zoom = c.zoom;
        app().view.center_x = app().view.center_y = static_cast<int16_t>(c.centre);
        editor_update_view();
        const auto before = hover_at(c.px, c.py);
        wheel(c.button, c.px, c.py);
        EXPECT_EQ(app().view.zoom, c.zoom_after) << c.zoom << " at " << c.px;
        EXPECT_EQ(hover_at(c.px, c.py), before) << c.zoom << " at " << c.px;
    }
    // Over the palette the wheel steps the brush through 0..255 instead, round at the ends.
    app().view.palette_shown = 1;
    app().selected_tile = 255;
    wheel(MOUSE_WHEEL_DOWN, 400, 400);
    EXPECT_EQ(std::pair(app().selected_tile, app().view.zoom), std::pair(0, 1));
    wheel(MOUSE_WHEEL_UP, 400, 400);
    EXPECT_EQ(app().selected_tile, 255);
}

TEST_F(Moves, RightButtonScrollIsPacedByTheDistanceFromTheCentre) {
    struct Case {
        int zoom, px, moved;
    } cases[] = {{1, 480, 160}, {1, 160, -160}, {1, 639, 636},
                 {1, 325, 0},   {2, 480, 320},  {4, 639, 2544}};
    for (const Case& c : cases) {
        app().view.zoom = c.zoom;
        app().view.center_x = app().view.center_y = 8192;
        editor_update_view();
        // Held for the time of a click it does not scroll; after that, one second of steps.
        for (int step = 0; step < 20; ++step)
            mouse_at(c.px, 240, MOUSE_RIGHT);
        EXPECT_EQ(app().view.center_x, 8192);
        for (int step = 0; step < 100; ++step)
            mouse_at(c.px, 240, MOUSE_RIGHT);
        EXPECT_NEAR(app().view.center_x - 8192, c.moved, 16 * c.zoom) << c.zoom << " " << c.px;
        EXPECT_EQ(app().view.center_y, 8192);
        mouse_at(c.px, 240, 0);
    }
}

// The median of the content, which a far sign does not move, at the largest tiles showing all.
TEST_F(Moves, ViewOpensOnTheMedianOfTheContent) {
    tilegrid_put(map()->tiles, 0, 0, 0);
    editor_center_on_content();
    EXPECT_EQ(centre(), std::pair(8200, 8200));
    const struct {
        int x, y, centre_x, centre_y, zoom;
    } steps[] = {{500, 500, 500, 500, 1},
                 {515, 510, 500, 500, 1},
                 {510, 505, 510, 505, 1},
                 {540, 505, 510, 505, 2},
                 {1000, 1000, 515, 505, 4}};
    for (const auto& s : steps) {
        tilegrid_put(map()->tiles, s.x, s.y, 7);
        editor_center_on_content();
        EXPECT_EQ(centre(), std::pair(s.centre_x * 16 + 8, s.centre_y * 16 + 8)) << s.x;
        EXPECT_EQ(app().view.zoom, s.zoom) << s.x;
    }
}

// Clicks on a panel never paint, pick or erase the map underneath.
TEST_F(Moves, PanelsKeepTheirClicks) {
    helpviewer_add_line(app().help, "#page one");
    helpviewer_add_line(app().help, "help text");
    struct Case {
        const char* name;
        int32_t* flag;
        int px, py;
    } cases[] = {
        {"help", &app().view.help_page, 10, 10},
        {"region list", &app().view.region_list_shown, 10, 6},
        {"menu", &app().menu_open, 320, 10},
        {"status", nullptr, 600, 10},
        {"palette", &app().view.palette_shown, 330, 320},
        {"console", &app().view.console_shown, 4, 476},
        {"tool strip", &app().view.palette_shown, 326 + 3 * 44 + 20, 480 - 190 - 14 + 6},
    };
    for (const Case& c : cases) {
        if (c.flag) *c.flag = 1;
        app().selected_tile = 5;
        tilegrid_put(map()->tiles, 3, 3, 9);
        for (uint32_t button : {uint32_t{MOUSE_LEFT}, uint32_t{MOUSE_MIDDLE}, 0u})
            mouse_at(c.px, c.py, button);
        EXPECT_EQ(mapdata_get_tile(map(), 3, 3), 9) << c.name;
        if (c.flag) *c.flag = 0;
    }
    EXPECT_EQ(app().mouse_tools.tool, MouseTool::Rect); // the strip's fourth cell chose its tool
    mouse_tools_choose(MouseTool::Brush);
    // A stroke from the map over a panel paints the map only where it is seen; a press begun
    // on a panel paints nothing when it moves onto the map.
    app().view.help_page = 1;
    for (auto [pointer, buttons, x] :
         {std::tuple{300, 1u, 20}, {10, 1u, 21}, {10, 0u, 0}, {10, 1u, 22}, {300, 1u, 23}})
        mouse_at(pointer, pointer, buttons, x, 20);
    for (int x = 20; x <= 23; ++x)
        EXPECT_EQ(mapdata_get_tile(map(), x, 20), x == 20 ? 5 : 0) << x;
}

} // namespace
