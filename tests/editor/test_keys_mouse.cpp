// Keyboard modes, bookmarks, help and panel switches, and mouse painting, picking, erasing,
// scrolling and palette picks.
#include "editor/editor_mouse.h"
#include "editor_fixture.h"
#include "render/helpviewer.h"

#include <tuple>

namespace {

using Keys = EditorFixture;

TEST_F(Keys, ScrollInsertAndZoomFromTheMenu) {
    editor_key(KEY_UP, 0);
    EXPECT_EQ(g_editor.view_center_y, 0);
    for (int key : {KEY_INSERT, KEY_RIGHT, KEY_DOWN})
        editor_key(key, 0);
    EXPECT_EQ(centre(), std::pair(8208, 8208));

    editor_key(KEY_ESCAPE, 0);
    EXPECT_EQ(g_editor.menu_open, 1);
    // Unlisted keys do nothing in the menu and never reach the console.
    EXPECT_EQ(editor_menu_key('x', 0), 0);
    EXPECT_EQ(g_editor.menu_open, 1);
    EXPECT_STREQ(console_input(), "");
    editor_menu_key('2', 0);
    EXPECT_EQ(std::tuple(g_editor.menu_open, g_editor.zoom, g_editor.view_offset_x),
              std::tuple(0, 2, 0));
    editor_key(KEY_LEFT, 0);
    EXPECT_EQ(g_editor.view_center_x, 8208 - 16);

    editor_key(KEY_ESCAPE, 0);
    for (int key : {KEY_F3, KEY_F5, KEY_F4})
        editor_menu_key(key, 0);
    editor_menu_key('q', 0);
    EXPECT_EQ(std::tuple(g_editor.grid_shown, g_editor.console_shown, g_editor.palette_shown,
                         g_editor.running, g_editor.menu_open),
              std::tuple(0, 0, 1, 0, 1));
    editor_menu_key(KEY_ESCAPE, 0);
    EXPECT_EQ(g_editor.menu_open, 0);

    // F3 outside the menu goes to the console and leaves the grid alone.
    editor_key(KEY_F3, 0);
    EXPECT_EQ(g_editor.grid_shown, 0);
}

TEST_F(Keys, BookmarksSetWithCtrlAndRecalledWithShift) {
    editor_bookmark_key(KEY_F3, 0x01);
    EXPECT_EQ(g_editor.view_center_x, 0);
    g_editor.view_center_x = 8200;
    g_editor.view_center_y = 4100;
    EXPECT_EQ(editor_bookmark_key(KEY_F1, 0x40), 1);
    EXPECT_EQ(row(7), "bookmark 0 set: (512, 256)");
    editor_key(KEY_INSERT, 0);
    EXPECT_EQ(editor_bookmark_key(KEY_F1, 0x02), 1);
    EXPECT_EQ(centre(), std::pair(8200, 4100));
    // Ctrl wins over Shift; plain F-keys are left to the editing keys.
    editor_key(KEY_INSERT, 0);
    editor_bookmark_key(KEY_F2, 0x41);
    EXPECT_EQ(row(7), "bookmark 1 set: (512, 512)");
    EXPECT_EQ(editor_bookmark_key(KEY_F2, 0), 0);
    EXPECT_EQ(editor_bookmark_key(KEY_F5, 0x40), 0);
    int16_t x = 7, y = 7;
    bookmark_get(4, &x, &y);
    EXPECT_EQ(x, 7);
}

TEST_F(Keys, HelpCycleAndRegionListToggle) {
    g_help.page_count = 3;
    for (int want : {1, 2, 3, 0}) {
        editor_key(KEY_F1, 0);
        EXPECT_EQ(g_editor.help_page, want);
    }
    // The region list closes the help page.
    editor_key(KEY_F1, 0);
    editor_key(KEY_F2, 0);
    EXPECT_EQ(std::pair(g_editor.help_page, g_editor.region_list_shown), std::pair(0, 1));
    editor_key(KEY_F2, 0);
    EXPECT_EQ(g_editor.region_list_shown, 0);
    g_help.page_count = 0;
    editor_key(KEY_F1, 0);
    EXPECT_EQ(g_editor.help_page, 0);
}

using Mouse = EditorFixture;

TEST_F(Mouse, PaintRepeatRuleAndOutsideTiles) {
    g_editor.selected_tile = 5;
    for (int x : {3, 4, 4, 5})
        editor_mouse(0, MOUSE_LEFT, x, 3);
    for (int x : {3, 4, 5})
        EXPECT_EQ(mapdata_get_tile(map(), x, 3), 5);
    // Clicking the last tile again with the same brush writes nothing.
    mapdata_set_tile(map(), 5, 3, 9);
    editor_mouse(0, MOUSE_LEFT, 5, 3);
    EXPECT_EQ(mapdata_get_tile(map(), 5, 3), 9);
    // Left and right together: only the left acts, the view stays.
    g_editor.mouse_x = 600;
    editor_mouse(0, MOUSE_LEFT | MOUSE_RIGHT, 6, 3);
    EXPECT_EQ(mapdata_get_tile(map(), 6, 3), 5);
    EXPECT_EQ(g_editor.view_center_x, 0);
    // Erasing outside the map changes nothing on either side.
    mapdata_set_tile(map(), 1023, 5, 7);
    mapdata_set_tile(map(), 0, 5, 7);
    editor_mouse(0, MOUSE_MIDDLE, -1, 5);
    EXPECT_EQ(mapdata_get_tile(map(), 1023, 5), 7);
    EXPECT_EQ(mapdata_get_tile(map(), 0, 5), 7);
    EXPECT_EQ(g_editor.last_edit_value, LAST_EDIT_ERASE);
    editor_mouse(0, MOUSE_MIDDLE, 0, 5);
    EXPECT_EQ(mapdata_get_tile(map(), 0, 5), 0);
}

TEST_F(Mouse, CtrlPicksObjectsBorderAndNothing) {
    mapdata_set_tile(map(), 10, 10, 219);
    ASSERT_EQ(mapdata_get_tile(map(), 12, 12), TILE_FILLER);
    editor_mouse(0x40, MOUSE_LEFT, 12, 12);
    EXPECT_EQ(g_editor.selected_tile, 219);
    EXPECT_EQ(g_editor.last_edit_value, LAST_EDIT_PICK);
    editor_mouse(0x80, MOUSE_LEFT, -1, 0);
    EXPECT_EQ(g_editor.selected_tile, 20);
    editor_mouse(0x80, MOUSE_LEFT, -2, 0);
    EXPECT_EQ(g_editor.selected_tile, 0);
    // Painting over any cell of an object removes the whole object.
    g_editor.selected_tile = 3;
    editor_mouse(0, MOUSE_LEFT, 14, 14);
    EXPECT_EQ(mapdata_get_tile(map(), 10, 10), 0);
    EXPECT_EQ(mapdata_get_tile(map(), 14, 14), 3);
}

TEST_F(Mouse, RegionBrushTogglesOncePerVisit) {
    add_region(map(), "zone", true, {100});
    regionlist_rebuild();
    g_editor.selected_tile = TILE_REGION_BRUSH;
    // With "New region" selected the brush changes nothing.
    editor_mouse(0, MOUSE_LEFT, 7, 7);
    EXPECT_EQ(mapdata_get_tile(map(), 7, 7), 0);
    editor_key(KEY_PAGE_DOWN, 0);
    Region* zone = map()->selected_region;
    ASSERT_NE(zone, nullptr);
    editor_mouse(0, MOUSE_LEFT, 8, 7);
    editor_mouse(0, MOUSE_LEFT, 7, 7);
    EXPECT_TRUE(region_contains(zone, 7, 7));
    editor_mouse(0, MOUSE_LEFT, 7, 7);
    EXPECT_TRUE(region_contains(zone, 7, 7));
    editor_mouse(0, MOUSE_LEFT, 8, 7);
    editor_mouse(0, MOUSE_LEFT, 7, 7);
    EXPECT_FALSE(region_contains(zone, 7, 7));
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
    // A left click on the palette sets the brush and leaves the last-edit record alone.
    g_editor.mouse_x = 630;
    g_editor.mouse_y = 464;
    editor_mouse(0, MOUSE_LEFT, 20, 20);
    EXPECT_EQ(g_editor.selected_tile, 190);
    EXPECT_EQ(g_editor.last_edit_value, -1);
    EXPECT_EQ(mapdata_get_tile(map(), 20, 20), 0);
}

} // namespace
