// editor_tools.cpp - selection, clipboard keys, the paste that follows the pointer and the
// flood fill key. The operations themselves are map/clipboard's, one undo step each.
#include "editor/editor_tools.h"

#include <algorithm>

#include "console/console.h"
#include "editor/editor_keys.h"
#include "editor/editor_loop.h"
#include "editor/editor_mouse.h"
#include "editor/editor_state.h"
#include "editor/mouse_tools.h"
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

// The paste's top-left cell for the pointer's cell: the piece hangs centred on it.
void paste_origin(int32_t* x, int32_t* y) {
    clip_paste_origin(*g_tools.clipboard, x, y);
}

} // namespace

void editor_flood_fill(int32_t x, int32_t y) {
    const ClipRect sel = selection();
    const bool within = g_tools.selection_shown;
    if (within && (x < sel.x || y < sel.y || x >= sel.x + sel.width || y >= sel.y + sel.height)) {
        console_print(1, "flood fill: 0 cells: the pointer is outside the selection");
        return;
    }
    uint32_t n = clip_flood_fill(g_editor.current_map, x, y, g_editor.selected_tile,
                                 within ? &sel : nullptr, g_editor.current_map->selected_region);
    console_print(1, "flood fill: %u cells%s", n, within ? " (inside the selection)" : "");
}

int editor_paste_key(int32_t key) {
    ClipPiece* p = g_tools.clipboard;
    if (!g_tools.pasting || !p) return 0;
    if (key == 'z')
        clip_rotate(p);
    else if (key == 'x' || key == 'y')
        clip_flip(p, key == 'x');
    else
        return 0;
    return 1;
}

int editor_tools_cancel() {
    if (g_tools.pasting) {
        g_tools.pasting = 0;
        return 1;
    }
    if (g_tools.selection_shown || g_tools.selecting) {
        editor_select_none();
        return 1;
    }
    return 0;
}

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
        console_print(1,
                      "pasting %d x %d cells (%s): left click places, Z turns, X and Y mirror, "
                      "a right click ends",
                      g_tools.clipboard->width, g_tools.clipboard->height,
                      g_tools.paste_all ? "every cell" : "empty cells skipped");
        return 1;
    case 'f':
        editor_flood_fill(g_hover.x, g_hover.y);
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
        // A short right click ends the paste (editor_mouse); a held one scrolls.
        if (buttons & MOUSE_RIGHT) return 0;
        if ((pressed & MOUSE_LEFT) && !on_palette) {
            editor_end_stroke();
            paste_origin(&x, &y);
            clip_paste(g_editor.current_map, *t.clipboard, x, y, editor_tools_region(),
                       t.paste_all ? CLIP_PASTE_ALL : CLIP_PASTE_NONEMPTY);
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
    const bool select = (modifiers & MOD_SHIFT) || g_mouse_tools.tool == MouseTool::Select;
    if ((pressed & MOUSE_LEFT) && select && !(modifiers & MOD_CTRL) && !on_palette &&
        !g_mouse_tools.shaping) {
        t.selecting = 1;
        t.drag_x = clamp_cell(x);
        t.drag_y = clamp_cell(y);
        select_rect({t.drag_x, t.drag_y, 1, 1});
        return 1;
    }
    return 0;
}

void editor_draw_tools() {
    const EditorState& e = g_editor;
    const int s = 16 / e.zoom;
    auto screen_x = [&](int32_t cell) { return e.view_offset_x + (cell - e.view_tile_x) * s; };
    auto screen_y = [&](int32_t cell) { return e.view_offset_y + (cell - e.view_tile_y) * s; };
    if (g_tools.pasting && g_tools.clipboard) {
        const ClipPiece* p = g_tools.clipboard;
        int32_t x = g_hover.x, y = g_hover.y;
        paste_origin(&x, &y);
        gfx_draw_piece(nullptr, e.current_map, p, screen_x(x), screen_y(y), s, !g_tools.paste_all);
        gfx_draw_marching_outline(nullptr, screen_x(x) - 1, screen_y(y) - 1, p->width * s + 2,
                                  p->height * s + 2, true);
    }
    mouse_tools_draw();
    if (g_tools.selection_shown)
        gfx_draw_marching_outline(nullptr, screen_x(g_tools.sel_x) - 1, screen_y(g_tools.sel_y) - 1,
                                  g_tools.sel_w * s + 2, g_tools.sel_h * s + 2, false);
}

void editor_tools_free() {
    delete g_tools.clipboard;
    g_tools = EditorTools{};
}
