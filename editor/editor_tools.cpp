// editor_tools.cpp - selection, clipboard keys, the paste that follows the pointer and the
// flood fill key. The operations themselves are map/clipboard's, one undo step each.
#include "editor/editor_tools.h"

#include <algorithm>

#include "console/console.h"
#include "editor/editor_keys.h"
#include "editor/editor_loop.h"
#include "editor/editor_mouse.h"
#include "editor/editor_state.h"
#include "map/edit/clipboard.h"
#include "map/model/mapdata.h"
#include "render/tools_overlay.h"

EditorTools g_tools;

namespace {

int32_t clamp_cell(int32_t v) {
    return std::clamp(v, 0, 1023);
}

ClipRect selection() {
    return {g_tools.sel_x, g_tools.sel_y, g_tools.sel_w, g_tools.sel_h};
}

void select_rect(ClipRect r) {
    g_tools.selection_shown = 1;
    g_tools.sel_x = r.x;
    g_tools.sel_y = r.y;
    g_tools.sel_w = r.width;
    g_tools.sel_h = r.height;
}

bool need_selection() {
    if (g_tools.selection_shown) return true;
    console_print(1, "nothing is selected: Shift + left drag selects, Ctrl+A the whole map");
    return false;
}

void copy_or_cut(bool cut) {
    if (!need_selection()) return;
    auto* piece = new ClipPiece;
    int done = cut ? clip_cut(g_editor.current_map, selection(), editor_tools_region(), piece)
                   : clip_copy(g_editor.current_map, selection(), editor_tools_region(), piece);
    if (!done) {
        delete piece;
        return;
    }
    delete g_tools.clipboard;
    g_tools.clipboard = piece;
    console_print(1, "%s %d x %d cells, %zu objects", cut ? "cut" : "copied", piece->width,
                  piece->height, piece->objects.size());
}

void flood_fill() {
    const ClipRect sel = selection();
    uint32_t n = clip_flood_fill(g_editor.current_map, g_hover.x, g_hover.y, g_editor.selected_tile,
                                 g_tools.selection_shown ? &sel : nullptr,
                                 g_editor.current_map->selected_region);
    console_print(1, "flood fill: %u cells", n);
}

} // namespace

Region* editor_tools_region() {
    return g_tools.copy_regions && g_editor.current_map ? g_editor.current_map->selected_region
                                                        : nullptr;
}

void editor_select_none() {
    g_tools.selection_shown = 0;
    g_tools.selecting = 0;
}

int editor_tool_key(int32_t key, int32_t modifiers) {
    if (!g_editor.current_map) return 0;
    if (key == KEY_DELETE) {
        editor_end_stroke();
        if (need_selection()) clip_clear(g_editor.current_map, selection(), editor_tools_region());
        return 1;
    }
    if (!(modifiers & MOD_CTRL)) return 0;
    // Each tool is a step of its own, not part of a stroke still held.
    if (key == 'c' || key == 'x' || key == 'f') editor_end_stroke();
    switch (key) {
    case 'a':
        select_rect({0, 0, 1024, 1024});
        return 1;
    case 'c':
        copy_or_cut(false);
        return 1;
    case 'x':
        copy_or_cut(true);
        return 1;
    case 'v':
        if (!g_tools.clipboard) {
            console_print(1, "the clipboard is empty: Ctrl+C copies the selection");
            return 1;
        }
        g_tools.pasting = 1;
        console_print(1, "pasting %d x %d cells: left click places, right click ends",
                      g_tools.clipboard->width, g_tools.clipboard->height);
        return 1;
    case 'f':
        flood_fill();
        return 1;
    default:
        return 0;
    }
}

int editor_tool_mouse(int32_t modifiers, uint32_t buttons, int32_t x, int32_t y) {
    EditorTools& t = g_tools;
    const uint32_t pressed = buttons & ~t.last_buttons;
    const bool on_palette = palette_hit(g_editor.mouse_x, g_editor.mouse_y);
    if (t.pasting && t.clipboard) {
        if ((pressed & MOUSE_RIGHT)) {
            t.pasting = 0;
            return 1;
        }
        if ((pressed & MOUSE_LEFT) && !on_palette) {
            editor_end_stroke();
            clip_paste(g_editor.current_map, *t.clipboard, x, y, editor_tools_region());
            return 1;
        }
        // The button that placed the piece paints nothing while it stays down.
        if (buttons & MOUSE_LEFT) return !on_palette;
    }
    if (t.selecting) {
        if (buttons & MOUSE_LEFT) {
            select_rect(clip_rect_between(t.drag_x, t.drag_y, clamp_cell(x), clamp_cell(y)));
            return 1;
        }
        t.selecting = 0;
    }
    if ((pressed & MOUSE_LEFT) && (modifiers & MOD_SHIFT) && !(modifiers & MOD_CTRL) &&
        !on_palette) {
        t.selecting = 1;
        t.drag_x = clamp_cell(x);
        t.drag_y = clamp_cell(y);
        select_rect({t.drag_x, t.drag_y, 1, 1});
        return 1;
    }
    // A right click drops the selection; the button still scrolls.
    if ((pressed & MOUSE_RIGHT) && t.selection_shown) editor_select_none();
    return 0;
}

void editor_draw_tools() {
    const EditorState& e = g_editor;
    const int s = 16 / e.zoom;
    auto screen_x = [&](int32_t cell) { return e.view_offset_x + (cell - e.view_tile_x) * s; };
    auto screen_y = [&](int32_t cell) { return e.view_offset_y + (cell - e.view_tile_y) * s; };
    if (g_tools.pasting && g_tools.clipboard) {
        const ClipPiece* p = g_tools.clipboard;
        gfx_draw_piece(nullptr, e.current_map, p, screen_x(g_hover.x), screen_y(g_hover.y), s);
        gfx_draw_marching_outline(nullptr, screen_x(g_hover.x) - 1, screen_y(g_hover.y) - 1,
                                  p->width * s + 2, p->height * s + 2, true);
    }
    if (g_tools.selection_shown)
        gfx_draw_marching_outline(nullptr, screen_x(g_tools.sel_x) - 1, screen_y(g_tools.sel_y) - 1,
                                  g_tools.sel_w * s + 2, g_tools.sel_h * s + 2, false);
}

void editor_tools_free() {
    delete g_tools.clipboard;
    g_tools = EditorTools{};
}
