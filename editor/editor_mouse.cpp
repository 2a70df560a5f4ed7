// editor_mouse.cpp - turns the polled mouse into edits, picks and scrolling.
#include "editor/editor_mouse.h"

#include "console/console.h"
#include "editor/editor_keys.h"
#include "editor/editor_state.h"
#include "map/edit.h"
#include "map/mapdata.h"
#include "map/region.h"
#include "map/stamp.h"
#include "render/panels.h"

#include <SDL.h>

#include <charconv>
#include <cstring>

namespace {

bool g_told_no_region = false; // the brush-without-region line was shown during this press

// The palette's strip of special tiles, left to right, above the 190 tileset cells.
constexpr int kPaletteStrip[10] = {216, 217, 218, 219, 220, 241, 242, 252, 255, 251};

// Map cells the open stroke has edited, for its label.
int32_t g_stroke_cells = 0;

// A stroke is one step from its first edit to the release of the button. The map may have
// been replaced meanwhile (a console "?go"): the new map has no open step, so one is opened.
void stroke_cell() {
    MapData* map = g_editor.current_map;
    if (!edit_in_step(map)) {
        edit_begin(map, "stroke");
        g_stroke_cells = 0;
    }
    ++g_stroke_cells;
}

bool inside_map(int32_t x, int32_t y) {
    return x >= 0 && x <= 1023 && y >= 0 && y <= 1023;
}

void pick_from_map(int32_t x, int32_t y) {
    EditorState& e = g_editor;
    if (x == e.last_edit_x && y == e.last_edit_y && e.last_edit_value == LAST_EDIT_PICK) return;
    int tile = mapdata_get_tile(e.current_map, x, y);
    // A filler cell picks the object that covers it.
    if (tile == TILE_FILLER) {
        int object = 0;
        if (stamp_find(e.current_map, x, y, &object)) tile = object;
    }
    e.selected_tile = tile;
    e.last_edit_x = x;
    e.last_edit_y = y;
    e.last_edit_value = LAST_EDIT_PICK;
}

void paint(int32_t x, int32_t y) {
    EditorState& e = g_editor;
    if (x == e.last_edit_x && y == e.last_edit_y && e.selected_tile == e.last_edit_value) return;
    if (inside_map(x, y)) {
        if (e.selected_tile == TILE_REGION_BRUSH) {
            Region* region = e.current_map->selected_region;
            if (!region) {
                // Once per press: the brush has nothing to paint into.
                if (!g_told_no_region)
                    console_print(3, "select a region first, or create one: ?region new NAME");
                g_told_no_region = true;
            } else {
                stroke_cell();
                if (!edit_region_toggle(e.current_map, region, x, y))
                    console_print(3, "region limit reached: cell (%d, %d) keeps its regions", x, y);
            }
        } else {
            stroke_cell();
            edit_paint(e.current_map, x, y, e.selected_tile);
        }
    }
    e.last_edit_x = x;
    e.last_edit_y = y;
    e.last_edit_value = e.selected_tile;
}

void erase(int32_t x, int32_t y) {
    EditorState& e = g_editor;
    if (x == e.last_edit_x && y == e.last_edit_y && e.last_edit_value == LAST_EDIT_ERASE) return;
    if (inside_map(x, y)) {
        stroke_cell();
        edit_paint(e.current_map, x, y, 0);
    }
    e.last_edit_x = x;
    e.last_edit_y = y;
    e.last_edit_value = LAST_EDIT_ERASE;
}

// A quarter of the pointer's distance from the window centre, in map pixels at this zoom.
void scroll() {
    EditorState& e = g_editor;
    int32_t dx = ((e.mouse_x - (e.screen_width >> 1)) >> 2) * e.zoom;
    int32_t dy = ((e.mouse_y - (e.screen_height >> 1)) >> 2) * e.zoom;
    e.view_center_x = static_cast<int16_t>(e.view_center_x + dx);
    e.view_center_y = static_cast<int16_t>(e.view_center_y + dy);
    // Shift, or any zoomed-out view, keeps the centre on a tile boundary.
    if ((static_cast<int32_t>(SDL_GetModState()) & MOD_SHIFT) || e.zoom > 1) {
        e.view_center_x = static_cast<int16_t>(e.view_center_x & ~15);
        e.view_center_y = static_cast<int16_t>(e.view_center_y & ~15);
    }
    editor_update_view();
}

} // namespace

void editor_end_stroke() {
    MapData* map = g_editor.current_map;
    if (!map || !edit_in_step(map)) return;
    // Built by hand: a stroke ends on every release, and formatting would cost more than
    // a short stroke's edits.
    char label[32] = "stroke of ";
    char* end = std::to_chars(label + 10, label + 20, g_stroke_cells).ptr;
    const char* unit = g_stroke_cells == 1 ? " cell" : " cells";
    std::memcpy(end, unit, std::strlen(unit) + 1);
    edit_set_label(map, label);
    edit_end(map);
}

void editor_mouse(int32_t modifiers, uint32_t buttons, int32_t x, int32_t y) {
    EditorState& e = g_editor;
    int32_t s = 16 / e.zoom;
    if (!(buttons & MOUSE_LEFT)) g_told_no_region = false;
    // Releasing the editing buttons ends the stroke.
    if (!(buttons & (MOUSE_LEFT | MOUSE_MIDDLE))) editor_end_stroke();
    if (buttons & MOUSE_LEFT) {
        if (palette_hit(e.mouse_x, e.mouse_y))
            e.selected_tile = palette_pick(e.mouse_x, e.mouse_y);
        else if (modifiers & MOD_CTRL)
            pick_from_map(x, y);
        else
            paint(x, y);
    } else if (buttons & MOUSE_MIDDLE) {
        erase(x, y);
    } else if (buttons & MOUSE_RIGHT) {
        scroll();
    }
    // Snap the pointer to the tile grid for the hover box.
    e.mouse_x = ((e.mouse_x - e.view_offset_x) / s) * s;
    e.mouse_y = ((e.mouse_y - e.view_offset_y) / s) * s;
}

int palette_hit(int32_t px, int32_t py) {
    if (!g_editor.palette_shown) return 0;
    int32_t a = px - (g_editor.screen_width - 314);
    int32_t b = py - (g_editor.screen_height - 190);
    return a >= 0 && a <= 312 && b >= 0 && b <= 188;
}

int palette_pick(int32_t px, int32_t py) {
    int32_t a = px - (g_editor.screen_width - 310);
    int32_t b = py - (g_editor.screen_height - 186);
    if (a < 0) return 0;
    if (a < 160 && b >= 0 && b < 16) return kPaletteStrip[a / 16];
    if (a >= 304 || b < 20 || b >= 180) return 0;
    return ((b - 20) / 16) * 19 + a / 16 + 1;
}
