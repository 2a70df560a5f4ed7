// editor_mouse.cpp - turns button presses and releases, and the held buttons' motion, into
// edits, picks and scrolling.
#include "editor/editor_mouse.h"

#include "console/console.h"
#include "editor/editor_keys.h"
#include "editor/editor_panels.h"
#include "editor/editor_state.h"
#include "editor/editor_tools.h"
#include "editor/mouse_tools.h"
#include "editor/regionlist.h"
#include "map/edit/clipboard.h"
#include "map/edit/edit.h"
#include "map/model/mapdata.h"
#include "map/model/region.h"
#include "map/model/stamp.h"
#include "render/panels.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// A stroke is one step from its first edit to the release of the button. The map may have
// been replaced meanwhile (a console "?go"): the new map has no open step, so one is opened.
void stroke_cell() {
    MapEdit map = app_map();
    if (!edit_in_step(map)) {
        edit_begin(map, "stroke");
        app().tools.stroke_cells = 0;
    }
    ++app().tools.stroke_cells;
}

bool inside_map(int32_t x, int32_t y) {
    return x >= 0 && x <= 1023 && y >= 0 && y <= 1023;
}

void pick_from_map(int32_t x, int32_t y) {
    Editor& e = app();
    if (x == e.last_edit_x && y == e.last_edit_y && e.last_edit_value == LAST_EDIT_PICK) return;
    int tile = mapdata_get_tile(e.doc.map.edit(), x, y);
    // A filler cell picks the object that covers it.
    if (tile == TILE_FILLER) {
        int object = 0;
        if (stamp_find(e.doc.map.edit(), x, y, &object)) tile = object;
    }
    e.selected_tile = tile;
    e.last_edit_x = x;
    e.last_edit_y = y;
    e.last_edit_value = LAST_EDIT_PICK;
}

void paint(int32_t x, int32_t y) {
    Editor& e = app();
    if (x == e.last_edit_x && y == e.last_edit_y && e.selected_tile == e.last_edit_value) return;
    if (inside_map(x, y)) {
        if (e.selected_tile == TILE_REGION_BRUSH) {
            Region* region = e.doc.selected_region;
            if (!region) {
                // Once per press: the brush has nothing to paint into.
                if (!app().tools.told_no_region)
                    console_print(app().console, 3,
                                  "select a region first, or create one: ?region new NAME");
                app().tools.told_no_region = true;
            } else {
                // Strokes never toggle: the left button adds (erase() removes).
                stroke_cell();
                if (!region_contains(region, x, y) &&
                    !edit_region_cell(e.doc.map.edit(), region, x, y, true))
                    console_print(app().console, 3,
                                  "region limit reached: cell (%d, %d) keeps its regions", x, y);
            }
        } else if (mapdata_get_tile(e.doc.map.edit(), x, y) != e.selected_tile) {
            // A cell that holds the brush already is left alone: an object would be re-added.
            stroke_cell();
            edit_paint(e.doc.map.edit(), x, y, e.selected_tile);
        }
    }
    e.last_edit_x = x;
    e.last_edit_y = y;
    e.last_edit_value = e.selected_tile;
}

void erase(int32_t x, int32_t y) {
    Editor& e = app();
    if (x == e.last_edit_x && y == e.last_edit_y && e.last_edit_value == LAST_EDIT_ERASE) return;
    Region* region = e.doc.selected_region;
    if (inside_map(x, y) && e.selected_tile == TILE_REGION_BRUSH && region) {
        // With the region brush the middle button takes cells out of the selected region.
        if (region_contains(region, x, y)) {
            stroke_cell();
            edit_region_cell(e.doc.map.edit(), region, x, y, false);
        }
    } else if (inside_map(x, y)) {
        stroke_cell();
        edit_paint(e.doc.map.edit(), x, y, 0);
    }
    e.last_edit_x = x;
    e.last_edit_y = y;
    e.last_edit_value = LAST_EDIT_ERASE;
}

enum : int32_t { STROKE_NONE, STROKE_PAINT, STROKE_ERASE };

// A held button edits every cell of the line from the cell it edited last step, so a fast
// stroke leaves no gaps; the repeat rule skips that first cell.
template <typename Edit> int32_t along_stroke(int32_t action, int32_t x, int32_t y, Edit edit) {
    if (app().tools.stroke_action != action) {
        edit(x, y);
        return action;
    }
    std::vector<ClipPoint> points;
    clip_line_points(app().tools.stroke_x, app().tools.stroke_y, x, y, &points);
    for (const ClipPoint& p : points)
        edit(p.x, p.y);
    return action;
}

// Speed grows with the square of the pointer's distance from the window centre, up to one
// window width (height) per second at the edge; the parts of a map pixel (or, snapped, of a
// tile) not yet moved carry over to the next step.
int32_t scroll_axis(int32_t pointer, int32_t size, float* rest, bool snap) {
    const float half = static_cast<float>(size > 1 ? size / 2 : 1);
    float r = static_cast<float>(pointer - size / 2) / half;
    r = r < -1.0f ? -1.0f : (r > 1.0f ? 1.0f : r);
    constexpr float kStepsPerSecond = 100.0f; // one input step per tick
    *rest += static_cast<float>(size) * r * (r < 0 ? -r : r) / kStepsPerSecond *
             static_cast<float>(app().view.zoom);
    const int32_t unit = snap ? 16 : 1;
    const int32_t move = static_cast<int32_t>(*rest / static_cast<float>(unit)) * unit;
    *rest -= static_cast<float>(move);
    return move;
}

// A right press released within this many input steps (10 ms each) without the pointer
// moving is a click: it ends a paste, a shape or a selection and never scrolls.
constexpr int32_t kRightClickSteps = 20;
constexpr int32_t kRightClickSlack = 3; // pixels the pointer may wander during a click

// Ends what a short right click ends: a shape being dragged, else a paste, else the selection.
void right_click() {
    if (!mouse_tools_cancel()) editor_tools_cancel();
}

void scroll(int32_t modifiers) {
    Editor& e = app();
    // Shift, or any zoomed-out view, keeps the centre on a tile boundary.
    const bool snap = (modifiers & MOD_SHIFT) || e.view.zoom > 1;
    const int32_t dx = scroll_axis(e.pointer_x, e.view.screen_width, &e.scroll_rest_x, snap);
    const int32_t dy = scroll_axis(e.pointer_y, e.view.screen_height, &e.scroll_rest_y, snap);
    e.view.center_x = static_cast<int16_t>(e.view.center_x + dx);
    e.view.center_y = static_cast<int16_t>(e.view.center_y + dy);
    if (snap) {
        e.view.center_x = static_cast<int16_t>(e.view.center_x & ~15);
        e.view.center_y = static_cast<int16_t>(e.view.center_y & ~15);
    }
    editor_update_view();
}

// The radar shows 4 x 4 cells per pixel: centre the view on the pixel's middle, following a
// drag past the radar's edge along it.
void follow_radar() {
    Editor& e = app();
    const PanelRect radar = editor_layout().radar;
    int32_t rx = e.pointer_x - radar.x;
    int32_t ry = e.pointer_y - radar.y;
    rx = rx < 0 ? 0 : (rx > 255 ? 255 : rx);
    ry = ry < 0 ? 0 : (ry > 255 ? 255 : ry);
    e.view.center_x = static_cast<int16_t>(rx * 64 + 32);
    e.view.center_y = static_cast<int16_t>(ry * 64 + 32);
    editor_update_view();
}

} // namespace

void editor_end_stroke() {
    MapEdit map = app_map();
    if (!map || !edit_in_step(map)) return;
    // Built by hand: a stroke ends on every release, and formatting would cost more than
    // a short stroke's edits.
    char label[32] = "stroke of ";
    char* end = std::to_chars(label + 10, label + 20, app().tools.stroke_cells).ptr;
    const char* unit = app().tools.stroke_cells == 1 ? " cell" : " cells";
    std::memcpy(end, unit, std::strlen(unit) + 1); // the terminator too
    edit_set_label(map, label);
    edit_end(map);
}

namespace {

// The buttons now held, at map cell (x, y): what a press, a release or a held button does.
// A step (not an event) also counts the right button's time and scrolls.
void mouse_update(int32_t modifiers, uint32_t buttons, int32_t x, int32_t y, bool step) {
    Editor& e = app();
    int32_t s = 16 / e.view.zoom;
    if (!(buttons & MOUSE_LEFT)) app().tools.told_no_region = false;
    e.pointer_x = e.mouse_x;
    e.pointer_y = e.mouse_y;
    const PanelId here = editor_panel_at(e.pointer_x, e.pointer_y);
    // A press belongs to what it began on until every button is up again.
    if (buttons == 0) {
        e.mouse_capture = PANEL_NONE;
    } else if (e.buttons_held == 0) {
        e.mouse_capture = here;
    }
    const uint32_t pressed = buttons & ~e.buttons_held;
    const uint32_t released = e.buttons_held & ~buttons;
    e.buttons_held = buttons;
    if (pressed & MOUSE_RIGHT) app().tools.right = {0, e.pointer_x, e.pointer_y, false};
    // Every press edits its cell, even the one the last stroke ended on.
    if (pressed & (MOUSE_LEFT | MOUSE_MIDDLE)) e.last_edit_x = e.last_edit_y = -1;
    if (buttons & MOUSE_RIGHT) {
        if (step) ++app().tools.right.steps;
        app().tools.right.moved = app().tools.right.moved ||
                                  std::abs(e.pointer_x - app().tools.right.x) > kRightClickSlack ||
                                  std::abs(e.pointer_y - app().tools.right.y) > kRightClickSlack;
    }
    if ((released & MOUSE_RIGHT) && app().tools.right.steps <= kRightClickSteps &&
        !app().tools.right.moved)
        right_click();
    if (!(buttons & MOUSE_RIGHT)) e.scroll_rest_x = e.scroll_rest_y = 0.0f;
    const bool on_map = e.mouse_capture == PANEL_NONE && here == PANEL_NONE;
    // Releasing the editing buttons ends the stroke.
    if (!(buttons & (MOUSE_LEFT | MOUSE_MIDDLE))) editor_end_stroke();
    int32_t action = STROKE_NONE;
    const MouseTool tool = app().mouse_tools.tool;
    if (e.mouse_capture == PANEL_NONE && editor_tool_mouse(modifiers, buttons, x, y)) {
        // Selecting or pasting: no stroke goes on under it.
    } else if ((on_map || app().mouse_tools.shaping) &&
               mouse_tools_mouse(modifiers, buttons, pressed, x, y)) {
        // A line, rectangle or fill.
    } else if (buttons & MOUSE_LEFT) {
        if (e.mouse_capture == PANEL_RADAR && e.alt_held) {
            follow_radar();
        } else if ((pressed & MOUSE_LEFT) && here == PANEL_TOOL_STRIP) {
            MouseTool chosen;
            const PanelRect strip = editor_layout().tool_strip;
            if (mouse_tools_strip_hit(e.pointer_x, e.pointer_y, strip.x, strip.y, &chosen))
                mouse_tools_choose(chosen);
        } else if ((pressed & MOUSE_LEFT) && here == PANEL_REGION_LIST) {
            regionlist_click(e.pointer_y);
        } else if (e.mouse_capture == PANEL_PALETTE && here == PANEL_PALETTE) {
            e.selected_tile = palette_pick(e.pointer_x, e.pointer_y);
        } else if (on_map && ((modifiers & MOD_CTRL) || tool == MouseTool::Pick)) {
            pick_from_map(x, y);
        } else if (on_map && tool == MouseTool::Eraser) {
            action = along_stroke(STROKE_ERASE, x, y, erase);
        } else if (on_map) {
            action = along_stroke(STROKE_PAINT, x, y, paint);
        }
    } else if (buttons & MOUSE_MIDDLE) {
        if (on_map) action = along_stroke(STROKE_ERASE, x, y, erase);
    } else if (buttons & MOUSE_RIGHT) {
        // Held past a click's time: scroll as long as it stays down.
        if (step && e.mouse_capture == PANEL_NONE &&
            (app().tools.right.steps > kRightClickSteps || app().tools.right.moved))
            scroll(modifiers);
    }
    app().tools.stroke_action = action;
    app().tools.stroke_x = x;
    app().tools.stroke_y = y;
    app().tools.last_buttons = buttons;
    // Snap the pointer to the tile grid for the hover box.
    e.mouse_x = ((e.mouse_x - e.view.offset_x) / s) * s;
    e.mouse_y = ((e.mouse_y - e.view.offset_y) / s) * s;
}

} // namespace

void editor_point_at(int32_t px, int32_t py) {
    Editor& e = app();
    const int32_t s = 16 / e.view.zoom;
    e.mouse_x = px;
    e.mouse_y = py;
    e.hover.x = (px - e.view.offset_x) / s + e.view.tile_x;
    e.hover.y = (py - e.view.offset_y) / s + e.view.tile_y;
}

void editor_mouse(int32_t modifiers, uint32_t buttons, int32_t x, int32_t y) {
    mouse_update(modifiers, buttons, x, y, true);
}

void editor_mouse_button(const InputEvent& event) {
    const bool down = event.kind == InputKind::ButtonDown;
    if (event.button == MOUSE_WHEEL_UP || event.button == MOUSE_WHEEL_DOWN) {
        if (down) editor_wheel(event.button, event.x, event.y);
        return;
    }
    if (event.button < 1 || event.button > 3) return;
    // Buttons 1, 2 and 3 are the mask's bits 0, 1 and 2.
    const uint32_t bit = 1u << (event.button - 1);
    const uint32_t buttons = down ? app().buttons_held | bit : app().buttons_held & ~bit;
    if (buttons == app().buttons_held) return;
    editor_point_at(event.x, event.y);
    mouse_update(event.modifiers, buttons, app().hover.x, app().hover.y, false);
}

void editor_mouse_step(const InputState& state) {
    editor_point_at(state.x, state.y);
    mouse_update(state.modifiers, state.buttons, app().hover.x, app().hover.y, true);
}

int palette_hit(int32_t px, int32_t py) {
    if (!app().view.palette_shown) return 0;
    const PanelRect p = editor_layout().palette;
    // The outline's far edges count too: a paste guard a pixel wider than the panel.
    return px >= p.x && px <= p.x + p.w && py >= p.y && py <= p.y + p.h;
}

int palette_pick(int32_t px, int32_t py) {
    const PanelLayout layout = editor_layout();
    const PanelRect& strip = layout.palette_strip;
    const PanelRect& tiles = layout.palette_tiles;
    if (panelrect_contains(strip, px, py)) return kPaletteStrip[(px - strip.x) / 16];
    if (!panelrect_contains(tiles, px, py)) return 0;
    return ((py - tiles.y) / 16) * 19 + (px - tiles.x) / 16 + 1;
}
