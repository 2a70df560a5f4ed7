// Command-line options, keyboard modes, bookmarks, help and panel switches, mouse painting,
// picking, erasing and palette picks, the opening view, and panels that keep their clicks from
// the map (wheel zoom, arrows and the radar: view_session.sh; the right-button scroll: frames).
#include "editor/editor.h"
#include "editor/editor_mouse.h"
#include "editor/options.h"
#include "editor_fixture.h"
#include "render/helpviewer.h"

#include <string>
#include <tuple>
#include <vector>

namespace {

using Keys = EditorFixture;
using Mouse = EditorFixture;
using Moves = EditorFixture;

TEST_F(Keys, ScrollInsertMenuAndPanelSwitches) {
    editor_key(KEY_UP, 0); // the centre is clamped at 0
    for (int key : {KEY_INSERT, KEY_RIGHT, KEY_DOWN})
        editor_key(key, 0);
    EXPECT_EQ(centre(), std::pair(8208, 8208)); // a tile per press
    editor_key(KEY_ESCAPE, 0);
    EXPECT_EQ(editor_menu_key('x', 0), 0); // unlisted keys do nothing and reach no console
    EXPECT_STREQ(console_input(), "");
    editor_menu_key('2', 0);
    editor_key(KEY_LEFT, 0); // a whole tile when zoomed out
    EXPECT_EQ(std::tuple(g_editor.menu_open, g_editor.zoom, g_editor.view_center_x),
              std::tuple(0, 2, 8208 - 16));
    editor_key(KEY_ESCAPE, 0);
    for (int key : {int{KEY_F3}, int{KEY_F5}, int{KEY_F4}, int{'q'}})
        editor_menu_key(key, 0);
    EXPECT_EQ(std::tuple(g_editor.grid_shown, g_editor.console_shown, g_editor.palette_shown,
                         g_editor.running, g_editor.menu_open),
              std::tuple(0, 0, 1, 0, 1));
    editor_menu_key(KEY_ESCAPE, 0);
    editor_key(KEY_F3, 0); // outside the menu F3 leaves the grid alone
    EXPECT_EQ(std::pair(g_editor.menu_open, g_editor.grid_shown), std::pair(0, 0));
    // F1 cycles the help pages and closes after the last; F2 closes the help too.
    g_help.page_count = 2;
    for (int want : {1, 2, 0, 1}) {
        editor_key(KEY_F1, 0);
        EXPECT_EQ(g_editor.help_page, want);
    }
    editor_key(KEY_F2, 0);
    EXPECT_EQ(std::pair(g_editor.help_page, g_editor.region_list_shown), std::pair(0, 1));
    g_help.page_count = 0;
}

TEST_F(Keys, BookmarksSetWithCtrlAndRecalledWithShift) {
    g_editor.view_center_x = 8200;
    g_editor.view_center_y = 4100;
    EXPECT_EQ(editor_bookmark_key(KEY_F1, 0x40), 1);
    EXPECT_EQ(row(7), "bookmark 0 set: (512, 256)");
    editor_key(KEY_INSERT, 0);
    EXPECT_EQ(editor_bookmark_key(KEY_F1, 0x02), 1);
    EXPECT_EQ(centre(), std::pair(8200, 4100));
    editor_bookmark_key(KEY_F2, 0x41); // Ctrl wins over Shift
    EXPECT_EQ(row(7), "bookmark 1 set: (512, 256)");
    EXPECT_EQ(editor_bookmark_key(KEY_F2, 0), 0);
    EXPECT_EQ(editor_bookmark_key(KEY_F5, 0x40), 0);
}

TEST_F(Mouse, PaintOnceAPlaceEraseAndPick) {
    g_editor.selected_tile = 5;
    for (int x : {3, 4, 4, 5})
        editor_mouse(0, MOUSE_LEFT, x, 3);
    EXPECT_EQ(mapdata_get_tile(map(), 4, 3), 5);
    mapdata_set_tile(map(), 5, 3, 9); // the same place again with the same brush: no write
    editor_mouse(0, MOUSE_LEFT, 5, 3);
    EXPECT_EQ(mapdata_get_tile(map(), 5, 3), 9);
    g_editor.mouse_x = 600; // left and right together: only the left acts
    editor_mouse(0, MOUSE_LEFT | MOUSE_RIGHT, 6, 3);
    EXPECT_EQ(std::pair(mapdata_get_tile(map(), 6, 3), int{g_editor.view_center_x}),
              std::pair(5, 0));
    mapdata_set_tile(map(), 1023, 5, 7); // erasing outside the map reaches neither side
    editor_mouse(0, MOUSE_MIDDLE, -1, 5);
    EXPECT_EQ(mapdata_get_tile(map(), 1023, 5), 7);
    // Ctrl picks: an object's own tile from any of its cells, the border, nothing beyond.
    mapdata_set_tile(map(), 10, 10, 219);
    for (auto [x, want] : {std::pair{12, 219}, {-1, 20}, {-2, 0}}) {
        editor_mouse(0x40, MOUSE_LEFT, x, x < 0 ? 0 : 12);
        EXPECT_EQ(g_editor.selected_tile, want) << x;
    }
    g_editor.selected_tile = 3; // painting over any cell of an object removes it
    editor_mouse(0, MOUSE_LEFT, 14, 14);
    EXPECT_EQ(std::pair(mapdata_get_tile(map(), 10, 10), mapdata_get_tile(map(), 14, 14)),
              std::pair(0, 3));
}

TEST_F(Mouse, RegionBrushTogglesOncePerVisit) {
    add_region_at(map(), "zone", 100);
    regionlist_rebuild();
    g_editor.selected_tile = TILE_REGION_BRUSH;
    editor_mouse(0, MOUSE_LEFT, 7, 7); // "New region" selected: nothing changes
    editor_key(KEY_PAGE_DOWN, 0);
    Region* zone = map()->selected_region;
    ASSERT_NE(zone, nullptr);
    for (auto [x, want] : {std::pair{8, 0}, {7, 1}, {7, 1}, {8, 1}, {7, 0}}) {
        editor_mouse(0, MOUSE_LEFT, x, 7);
        EXPECT_EQ(region_contains(zone, 7, 7), want);
    }
    EXPECT_EQ(mapdata_get_tile(map(), 7, 7), 0);
}

TEST_F(Mouse, PalettePicksAndItsGaps) {
    EXPECT_EQ(palette_hit(340, 294), 0);
    g_editor.palette_shown = 1;
    for (auto [x, y, want] : {std::tuple{340, 294, 216},
                              {486, 294, 251},
                              {330, 314, 1},
                              {630, 464, 190},
                              {330, 312, 0},
                              {329, 300, 0}})
        EXPECT_EQ(palette_pick(x, y), want) << x << "," << y;
    for (auto [x, y, want] : {std::tuple{326, 290, 1}, {638, 478, 1}, {639, 478, 0}, {325, 300, 0}})
        EXPECT_EQ(palette_hit(x, y), want) << x << "," << y;
    g_editor.mouse_x = 630; // a click on the palette sets the brush and paints nothing
    g_editor.mouse_y = 464;
    editor_mouse(0, MOUSE_LEFT, 20, 20);
    EXPECT_EQ(std::pair(g_editor.selected_tile, mapdata_get_tile(map(), 20, 20)),
              std::pair(190, 0));
}

// One input step of the mouse with the pointer at window (px, py) over map cell (x, y).
void mouse_at(int px, int py, uint32_t buttons, int x = 3, int y = 3) {
    g_editor.mouse_x = px;
    g_editor.mouse_y = py;
    editor_mouse(0, buttons, x, y);
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
        EXPECT_EQ(g_editor.zoom, s.zoom) << s.x;
    }
}

// Clicks on a panel never paint, pick or erase the map underneath.
TEST_F(Moves, PanelsKeepTheirClicks) {
    helpviewer_add_line("#page one");
    helpviewer_add_line("help text");
    struct Case {
        const char* name;
        int32_t EditorState::*flag;
        int px, py;
    } cases[] = {
        {"help", &EditorState::help_page, 10, 10},
        {"region list", &EditorState::region_list_shown, 10, 6},
        {"menu", &EditorState::menu_open, 320, 10},
        {"status", nullptr, 600, 10},
        {"palette", &EditorState::palette_shown, 330, 320},
        {"console", &EditorState::console_shown, 4, 476},
    };
    for (const Case& c : cases) {
        if (c.flag) g_editor.*c.flag = 1;
        g_editor.selected_tile = 5;
        tilegrid_put(map()->tiles, 3, 3, 9);
        for (uint32_t button : {uint32_t{MOUSE_LEFT}, uint32_t{MOUSE_MIDDLE}, 0u})
            mouse_at(c.px, c.py, button);
        EXPECT_EQ(mapdata_get_tile(map(), 3, 3), 9) << c.name;
        if (c.flag) g_editor.*c.flag = 0;
    }
    // A stroke from the map over a panel paints the map only where it is seen; a press begun
    // on a panel paints nothing when it moves onto the map.
    g_editor.help_page = 1;
    for (auto [pointer, buttons, x] :
         {std::tuple{300, 1u, 20}, {10, 1u, 21}, {10, 0u, 0}, {10, 1u, 22}, {300, 1u, 23}})
        mouse_at(pointer, pointer, buttons, x, 20);
    for (int x = 20; x <= 23; ++x)
        EXPECT_EQ(mapdata_get_tile(map(), x, 20), x == 20 ? 5 : 0) << x;
}

TEST(Options, SizesFileNameAndRefusals) {
    const struct {
        std::vector<const char*> args;
        std::string map;
        int width, height;
        bool error;
    } cases[] = {
        {{"-w800", "-h", "0x258", "maps/a.lvl"}, "maps/a.lvl", 800, 600, false},
        {{"--", "-odd.lvl"}, "-odd.lvl", 0, 0, false},
        {{"--help"}, "", 0, 0, false},
        {{"-w319"}, "", 0, 0, true},
        {{"-w1024x"}, "", 0, 0, true},
        {{"-h"}, "", 0, 0, true},
        {{"-W800"}, "", 0, 0, true},
        {{"--frobnicate", "a.lvl"}, "", 0, 0, true},
        {{"a.lvl", "b.lvl"}, "a.lvl", 0, 0, true},
    };
    for (const auto& c : cases) {
        EditorOptions o = editor_options_parse(c.args);
        EXPECT_EQ(o.map, c.map) << c.args[0];
        EXPECT_EQ(o.width, c.width) << c.args[0];
        EXPECT_EQ(o.height, c.height) << c.args[0];
        EXPECT_EQ(!o.error.empty(), c.error) << c.args[0] << ": " << o.error;
    }
    EXPECT_TRUE(editor_options_parse(std::vector<const char*>{"--help"}).help);
}

} // namespace
