// editor_keys.cpp - the keyboard in editing mode and in the menu, and the four bookmarks.
#include "editor/editor_keys.h"

#include "console/console.h"
#include "core/log.h"
#include "editor/editor_loop.h"
#include "editor/editor_panels.h"
#include "editor/editor_state.h"
#include "editor/editor_tools.h"
#include "editor/mouse_tools.h"
#include "editor/regionlist.h"
#include "render/helpviewer.h"
#include "render/gfx.h"
#include "render/mapview.h"

namespace {

void help_cycle() {
    app().view.help_page = (app().view.help_page + 1) % (helpviewer_page_count(app().help) + 1);
}

// With the help open one press closes it and flips the list.
void region_list_toggle() {
    if (app().view.help_page != 0) app().view.help_page = 0;
    app().view.region_list_shown = !app().view.region_list_shown;
}

void set_zoom(int32_t zoom) {
    if (app().view.zoom == zoom) return;
    app().view.zoom = zoom;
    editor_update_view();
    editor_request_frame();
}

// One tile per press at every zoom; with Shift three quarters of the window, in whole tiles.
int16_t scroll_step(int32_t modifiers, int32_t window) {
    if (!(modifiers & MOD_SHIFT)) return 16;
    return static_cast<int16_t>((window * 3 / 4 * app().view.zoom) & ~15);
}

void frame_rate_toggle() {
    app().view.fps_shown = !app().view.fps_shown;
    gfx_show_frame_rate(app().view.fps_shown != 0);
}

void move_center(int16_t* field, int delta) {
    *field = static_cast<int16_t>(*field + delta);
    editor_update_view();
}

} // namespace

void editor_zoom_at(int32_t zoom, int32_t px, int32_t py) {
    Editor& e = app();
    if (zoom == e.view.zoom || (zoom != 1 && zoom != 2 && zoom != 4)) return;
    // The cell under the pointer, and the map pixel under it at zoom 1.
    const int32_t s = 16 / e.view.zoom;
    const int32_t cell_x = (px - e.view.offset_x) / s + e.view.tile_x;
    const int32_t cell_y = (py - e.view.offset_y) / s + e.view.tile_y;
    const int32_t map_x = e.view.tile_x * 16 + (px - e.view.offset_x) * e.view.zoom;
    const int32_t map_y = e.view.tile_y * 16 + (py - e.view.offset_y) * e.view.zoom;
    e.view.zoom = zoom;
    const int32_t half_w = e.view.screen_width / 2, half_h = e.view.screen_height / 2;
    if (zoom == 1) {
        e.view.center_x = static_cast<int16_t>(map_x - px + half_w);
        e.view.center_y = static_cast<int16_t>(map_y - py + half_h);
    } else {
        e.view.center_x = static_cast<int16_t>((cell_x - px / (16 / zoom)) * 16 + half_w * zoom);
        e.view.center_y = static_cast<int16_t>((cell_y - py / (16 / zoom)) * 16 + half_h * zoom);
    }
    editor_update_view();
    // Rounding in the view geometry can leave the cell one step off: move it back under.
    const int32_t t = 16 / zoom;
    const int32_t off_x = cell_x - ((px - e.view.offset_x) / t + e.view.tile_x);
    const int32_t off_y = cell_y - ((py - e.view.offset_y) / t + e.view.tile_y);
    if (off_x != 0 || off_y != 0) {
        e.view.center_x = static_cast<int16_t>(e.view.center_x + 16 * off_x);
        e.view.center_y = static_cast<int16_t>(e.view.center_y + 16 * off_y);
        editor_update_view();
    }
    editor_request_frame();
}

void editor_wheel(int32_t button, int32_t px, int32_t py) {
    // Over the console the wheel scrolls its history, three rows a notch.
    const PanelId panel = editor_panel_at(px, py);
    if (panel == PANEL_CONSOLE) {
        console_scroll(app().console, button == MOUSE_WHEEL_UP ? 3 : -3);
        return;
    }
    // Over the palette it steps the brush through every value 0..255, those without a picture
    // in the palette too.
    if (panel == PANEL_PALETTE) {
        app().selected_tile = (app().selected_tile + (button == MOUSE_WHEEL_UP ? 255 : 1)) & 255;
        return;
    }
    // Down gives smaller tiles (1 to 2 to 4), up larger ones.
    const int32_t zoom = app().view.zoom;
    if (button == MOUSE_WHEEL_DOWN) editor_zoom_at(zoom >= 2 ? 4 : 2, px, py);
    if (button == MOUSE_WHEEL_UP) editor_zoom_at(zoom <= 2 ? 1 : 2, px, py);
}

void bookmark_set(int slot, int16_t x, int16_t y) {
    if (slot < 0 || slot > 3) return;
    app().bookmarks[slot] = {x, y, true};
}

bool bookmark_get(int slot, int16_t* x, int16_t* y) {
    if (slot < 0 || slot > 3 || !app().bookmarks[slot].set) return false;
    *x = app().bookmarks[slot].x;
    *y = app().bookmarks[slot].y;
    return true;
}

void bookmarks_clear() {
    for (Bookmark& b : app().bookmarks)
        b = {0, 0, false};
}

int editor_menu_key(int32_t key, int32_t) {
    Editor& e = app();
    switch (key) {
    case KEY_ESCAPE:
        e.menu_open = 0;
        break;
    case '1':
        set_zoom(1);
        e.menu_open = 0;
        break;
    case '2':
        set_zoom(2);
        e.menu_open = 0;
        break;
    case '4':
        set_zoom(4);
        e.menu_open = 0;
        break;
    case 'q':
        // Refused once with unsaved changes: the menu closes so that the warning shows and
        // Escape then Q asks again.
        if (!editor_may_discard(DISCARD_QUIT)) {
            e.menu_open = 0;
            break;
        }
        log_msg(0, "*** %s exiting: esc + q", "ostrel");
        e.running = 0;
        break;
    case KEY_PAGE_UP:
        regionlist_fewer_rows();
        regionlist_apply();
        break;
    case KEY_PAGE_DOWN:
        regionlist_more_rows();
        regionlist_apply();
        break;
    case KEY_F1:
        help_cycle();
        break;
    case KEY_F2:
        region_list_toggle();
        break;
    case KEY_F3:
        e.view.grid_shown = !e.view.grid_shown;
        break;
    case KEY_F4:
        e.view.palette_shown = !e.view.palette_shown;
        break;
    case KEY_F5:
        editor_console_cycle();
        break;
    case KEY_F6:
        frame_rate_toggle();
        break;
    case 'r':
        e.view.regions_all = !e.view.regions_all;
        break;
    default:
        return 0;
    }
    return 1;
}

int editor_bookmark_key(int32_t key, int32_t modifiers) {
    if (key < KEY_F1 || key > KEY_F4) return 0;
    int slot = key - KEY_F1;
    Editor& e = app();
    // Ctrl wins when both Ctrl and Shift are held.
    if (modifiers & MOD_CTRL) {
        bookmark_set(slot, e.view.center_x, e.view.center_y);
        console_print(app().console, 1, "bookmark %d set: (%d, %d)", slot, e.view.center_x >> 4,
                      e.view.center_y >> 4);
        return 1;
    }
    if (modifiers & MOD_SHIFT) {
        if (!bookmark_get(slot, &e.view.center_x, &e.view.center_y))
            console_print(app().console, 1, "bookmark %d is not set: Ctrl+F%d sets it to the view",
                          slot, slot + 1);
        editor_update_view();
        return 1;
    }
    return 0;
}

int editor_key(int32_t key, int32_t modifiers, uint32_t text) {
    Editor& e = app();
    bool plain_f = (modifiers & (MOD_CTRL | MOD_SHIFT)) == 0;
    // A console line, once begun with "?", takes every key until Return or Escape.
    if (app().console.input[0] != '\0') {
        if (key == KEY_ESCAPE)
            console_clear_input(app().console);
        else
            console_key(app().console, key, modifiers, text);
        return 1;
    }
    const bool opens_line =
        text != 0 ? text == '?' : key == '?' || (key == '/' && (modifiers & MOD_SHIFT));
    if (opens_line) {
        console_key(app().console, key, modifiers, text);
        return 1;
    }
    if (editor_tool_key(key, modifiers)) return 1;
    if (!(modifiers & MOD_CTRL) && (editor_paste_key(key) || mouse_tools_key(key, modifiers)))
        return 1;
    switch (key) {
    case KEY_ESCAPE:
        e.menu_open = 1;
        return 1;
    case KEY_UP:
        move_center(&e.view.center_y, -scroll_step(modifiers, e.view.screen_height));
        return 1;
    case KEY_DOWN:
        move_center(&e.view.center_y, scroll_step(modifiers, e.view.screen_height));
        return 1;
    case KEY_RIGHT:
        move_center(&e.view.center_x, scroll_step(modifiers, e.view.screen_width));
        return 1;
    case KEY_LEFT:
        move_center(&e.view.center_x, -scroll_step(modifiers, e.view.screen_width));
        return 1;
    case KEY_INSERT:
        e.view.center_x = 8192;
        e.view.center_y = 8192;
        editor_update_view();
        return 1;
    case KEY_PAGE_UP:
        if (modifiers & MOD_SHIFT)
            regionlist_page_up();
        else
            regionlist_cursor_up();
        regionlist_apply();
        return 1;
    case KEY_PAGE_DOWN:
        if (modifiers & MOD_SHIFT)
            regionlist_page_down();
        else
            regionlist_cursor_down();
        regionlist_apply();
        return 1;
    case KEY_F1:
        if (!plain_f) break;
        help_cycle();
        return 1;
    case KEY_F2:
        if (!plain_f) break;
        region_list_toggle();
        return 1;
    case KEY_F4:
        if (!plain_f) break;
        e.view.palette_shown = !e.view.palette_shown;
        return 1;
    case KEY_F5:
        if (!plain_f) break;
        editor_console_cycle();
        return 1;
    case KEY_F6:
        if (!plain_f) break;
        frame_rate_toggle();
        return 1;
    case 'z':
    case 'y':
        // Ctrl+Z undoes; Ctrl+Y and Ctrl+Shift+Z redo. Without Ctrl the letter is typed.
        if (!(modifiers & MOD_CTRL)) break;
        if (key == 'z' && !(modifiers & MOD_SHIFT))
            editor_undo();
        else
            editor_redo();
        return 1;
    default:
        break;
    }
    return 0;
}
