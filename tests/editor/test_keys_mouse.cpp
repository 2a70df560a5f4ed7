// Command-line options, keyboard modes, bookmarks, help and panel switches, and mouse painting,
// picking, erasing and palette picks.
#include "editor/editor.h"
#include "editor/editor_mouse.h"
#include "editor_fixture.h"
#include "render/helpviewer.h"

#include <string>
#include <tuple>
#include <vector>

namespace {

using Keys = EditorFixture;
using Mouse = EditorFixture;

TEST_F(Keys, ScrollInsertMenuAndPanelSwitches) {
    editor_key(KEY_UP, 0); // the centre is clamped at 0
    for (int key : {KEY_INSERT, KEY_RIGHT, KEY_DOWN})
        editor_key(key, 0);
    EXPECT_EQ(centre(), std::pair(8208, 8208)); // a tile per press
    editor_key(KEY_ESCAPE, 0);
    EXPECT_EQ(editor_menu_key('x', 0), 0); // unlisted keys do nothing and reach no console
    EXPECT_STREQ(app().console.input, "");
    editor_menu_key('2', 0);
    editor_key(KEY_LEFT, 0); // a whole tile when zoomed out
    EXPECT_EQ(std::tuple(app().menu_open, app().view.zoom, app().view.center_x),
              std::tuple(0, 2, 8208 - 16));
    editor_key(KEY_ESCAPE, 0);
    for (int key : {int{KEY_F3}, int{KEY_F5}, int{KEY_F4}, int{'q'}})
        editor_menu_key(key, 0);
    EXPECT_EQ(std::tuple(app().view.grid_shown, app().view.console_shown, app().view.palette_shown,
                         app().running, app().menu_open),
              std::tuple(0, 2, 1, 0, 1)); // the console's four rows become a third of the window
    editor_menu_key(KEY_ESCAPE, 0);
    editor_key(KEY_F3, 0); // outside the menu F3 leaves the grid alone
    EXPECT_EQ(std::pair(app().menu_open, app().view.grid_shown), std::pair(0, 0));
    // F1 cycles the help pages and closes after the last; F2 closes the help too.
    app().help.page_count = 2;
    for (int want : {1, 2, 0, 1}) {
        editor_key(KEY_F1, 0);
        EXPECT_EQ(app().view.help_page, want);
    }
    editor_key(KEY_F2, 0);
    EXPECT_EQ(std::pair(app().view.help_page, app().view.region_list_shown), std::pair(0, 1));
    app().help.page_count = 0;
}

TEST_F(Keys, BookmarksSetWithCtrlAndRecalledWithShift) {
    app().view.center_x = 8200;
    app().view.center_y = 4100;
    editor_update_view();
    const auto view = std::pair(app().view.tile_x, app().view.tile_y);
    EXPECT_EQ(editor_bookmark_key(KEY_F1, 0x40), 1);
    EXPECT_EQ(row(7), "bookmark 0 set: (512, 256)");
    editor_key(KEY_INSERT, 0);
    EXPECT_EQ(editor_bookmark_key(KEY_F1, 0x02), 1);
    EXPECT_EQ(centre(), std::pair(8200, 4100));
    EXPECT_EQ(std::pair(app().view.tile_x, app().view.tile_y), view); // the view follows
    editor_bookmark_key(KEY_F2, 0x41); // Ctrl wins over Shift
    EXPECT_EQ(row(7), "bookmark 1 set: (512, 256)");
    EXPECT_EQ(editor_bookmark_key(KEY_F2, 0), 0);
    EXPECT_EQ(editor_bookmark_key(KEY_F5, 0x40), 0);
}

TEST_F(Mouse, PaintOnceAPlaceEraseAndPick) {
    app().selected_tile = 5;
    for (int x : {3, 4, 4, 5})
        editor_mouse(0, MOUSE_LEFT, x, 3);
    EXPECT_EQ(mapdata_get_tile(map(), 4, 3), 5);
    edit_paint(map(), 5, 3, 9); // the same place again with the same brush: no write
    editor_mouse(0, MOUSE_LEFT, 5, 3);
    EXPECT_EQ(mapdata_get_tile(map(), 5, 3), 9);
    app().mouse_x = 600; // left and right together: only the left acts
    editor_mouse(0, MOUSE_LEFT | MOUSE_RIGHT, 6, 3);
    EXPECT_EQ(std::pair(mapdata_get_tile(map(), 6, 3), int{app().view.center_x}),
              std::pair(5, 0));
    edit_paint(map(), 1023, 5, 7); // erasing outside the map reaches neither side
    editor_mouse(0, MOUSE_MIDDLE, -1, 5);
    EXPECT_EQ(mapdata_get_tile(map(), 1023, 5), 7);
    // Ctrl picks: an object's own tile from any of its cells, the border, nothing beyond.
    edit_paint(map(), 10, 10, 219);
    for (auto [x, want] : {std::pair{12, 219}, {-1, 20}, {-2, 0}}) {
        editor_mouse(0x40, MOUSE_LEFT, x, x < 0 ? 0 : 12);
        EXPECT_EQ(app().selected_tile, want) << x;
    }
    app().selected_tile = 3; // painting over any cell of an object removes it
    editor_mouse(0, MOUSE_LEFT, 14, 14);
    EXPECT_EQ(std::pair(mapdata_get_tile(map(), 10, 10), mapdata_get_tile(map(), 14, 14)),
              std::pair(0, 3));
}

TEST_F(Mouse, RegionBrushLeftAddsAndMiddleRemoves) {
    add_region_at(map(), "zone", 100);
    regionlist_rebuild();
    app().selected_tile = TILE_REGION_BRUSH;
    editor_mouse(0, MOUSE_LEFT, 6, 7); // "New region" selected: nothing changes
    editor_mouse(0, 0, 6, 7);
    app().view.region_list_shown = 1; // a click on the list's second row selects its region
    app().mouse_x = 20;
    app().mouse_y = 16;
    editor_mouse(0, MOUSE_LEFT, 0, 0);
    editor_mouse(0, 0, 0, 0);
    app().view.region_list_shown = 0;
    app().mouse_x = app().mouse_y = 300;
    Region* zone = app().doc.selected_region;
    ASSERT_NE(zone, nullptr);
    edit_paint(map(), 7, 7, 5);
    // Strokes never toggle: each new press over a cell of the region keeps or removes it.
    for (auto [buttons, want] : {std::pair<uint32_t, bool>{0u, false}, {MOUSE_LEFT, true},
                                 {0u, true}, {MOUSE_LEFT, true}, {0u, true},
                                 {MOUSE_MIDDLE, false}, {0u, false}, {MOUSE_MIDDLE, false}}) {
        editor_mouse(0, buttons, 7, 7);
        EXPECT_EQ(region_contains(zone, 7, 7), want);
    }
    EXPECT_EQ(mapdata_get_tile(map(), 7, 7), 5); // the region brush leaves the tiles alone
}

TEST_F(Mouse, PalettePicksAndItsGaps) {
    EXPECT_EQ(palette_hit(340, 294), 0);
    app().view.palette_shown = 1;
    for (auto [x, y, want] : {std::tuple{340, 294, 216},
                              {486, 294, 251},
                              {330, 314, 1},
                              {630, 464, 190},
                              {330, 312, 0},
                              {329, 300, 0}})
        EXPECT_EQ(palette_pick(x, y), want) << x << "," << y;
    for (auto [x, y, want] : {std::tuple{326, 290, 1}, {638, 478, 1}, {639, 478, 0}, {325, 300, 0}})
        EXPECT_EQ(palette_hit(x, y), want) << x << "," << y;
    app().mouse_x = 630; // a click on the palette sets the brush and paints nothing
    app().mouse_y = 464;
    editor_mouse(0, MOUSE_LEFT, 20, 20);
    EXPECT_EQ(std::pair(app().selected_tile, mapdata_get_tile(map(), 20, 20)),
              std::pair(190, 0));
}

} // namespace
