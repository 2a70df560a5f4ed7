// editor_tools.cpp - selection, clipboard keys, the paste that follows the pointer and the
// flood fill key. The operations themselves are map/clipboard's, one undo step each.
#include "editor/editor_tools.h"

#include <algorithm>
#include <memory>

#include "console/console.h"
#include "editor/editor_keys.h"
#include "editor/editor_loop.h"
#include "editor/editor_mouse.h"
#include "editor/editor_state.h"
#include "editor/mouse_tools.h"
#include "map/edit/clipboard.h"
#include "map/model/mapdata.h"
#include "render/tools_overlay.h"

namespace {

int32_t clamp_cell(int32_t v) {
    return std::clamp(v, 0, 1023);
}

ClipRect selection() {
    return {app().doc.selection.x, app().doc.selection.y, app().doc.selection.w, app().doc.selection.h};
}

void select_rect(ClipRect r) {
    app().doc.selection.shown = 1;
    app().doc.selection.x = r.x;
    app().doc.selection.y = r.y;
    app().doc.selection.w = r.width;
    app().doc.selection.h = r.height;
}

bool need_selection() {
    if (app().doc.selection.shown) return true;
    console_print(app().console, 1, "nothing is selected: Shift + left drag selects, Ctrl+A the whole map");
    return false;
}

void copy_or_cut(bool cut) {
    if (!need_selection()) return;
    auto piece = std::make_unique<ClipPiece>();
    int done = cut ? clip_cut(app_map(), selection(), editor_tools_region(), piece.get())
                   : clip_copy(app_map(), selection(), editor_tools_region(), piece.get());
    if (!done) return;
    console_print(app().console, 1, "%s %d x %d cells, %zu objects", cut ? "cut" : "copied", piece->width,
                  piece->height, piece->objects.size());
    app().tools.clipboard = std::move(piece);
}

// The paste's top-left cell for the pointer's cell: the piece hangs centred on it.
void paste_origin(int32_t* x, int32_t* y) {
    clip_paste_origin(*app().tools.clipboard, x, y);
}

} // namespace

void editor_flood_fill(int32_t x, int32_t y) {
    const ClipRect sel = selection();
    const bool within = app().doc.selection.shown;
    if (within && (x < sel.x || y < sel.y || x >= sel.x + sel.width || y >= sel.y + sel.height)) {
        console_print(app().console, 1, "flood fill: 0 cells: the pointer is outside the selection");
        return;
    }
    uint32_t n = clip_flood_fill(app_map(), x, y, app().selected_tile,
                                 within ? &sel : nullptr, app().doc.selected_region);
    console_print(app().console, 1, "flood fill: %u cells%s", n, within ? " (inside the selection)" : "");
}

int editor_paste_key(int32_t key) {
    ClipPiece* p = app().tools.clipboard.get();
    if (!app().doc.pasting || !p) return 0;
    if (key == 'z')
        clip_rotate(p);
    else if (key == 'x' || key == 'y')
        clip_flip(p, key == 'x');
    else
        return 0;
    return 1;
}

int editor_tools_cancel() {
    if (app().doc.pasting) {
        app().doc.pasting = 0;
        return 1;
    }
    if (app().doc.selection.shown || app().doc.selection.selecting) {
        editor_select_none();
        return 1;
    }
    return 0;
}

Region* editor_tools_region() {
    return app().tools.copy_regions && app_map() ? app().doc.selected_region
                                                        : nullptr;
}

void editor_select_none() {
    app().doc.selection.shown = 0;
    app().doc.selection.selecting = 0;
}

int editor_tool_key(int32_t key, int32_t modifiers) {
    if (!app_map()) return 0;
    if (key == KEY_DELETE) {
        editor_end_stroke();
        if (need_selection()) clip_clear(app_map(), selection(), editor_tools_region());
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
        if (!app().tools.clipboard) {
            console_print(app().console, 1, "the clipboard is empty: Ctrl+C copies the selection");
            return 1;
        }
        app().doc.pasting = 1;
        console_print(app().console, 1,
                      "pasting %d x %d cells (%s): left click places, Z turns, X and Y mirror, "
                      "a right click ends",
                      app().tools.clipboard->width, app().tools.clipboard->height,
                      app().tools.paste_all ? "every cell" : "empty cells skipped");
        return 1;
    case 'f':
        editor_flood_fill(app().hover.x, app().hover.y);
        return 1;
    default:
        return 0;
    }
}

int editor_tool_mouse(int32_t modifiers, uint32_t buttons, int32_t x, int32_t y) {
    const uint32_t pressed = buttons & ~app().tools.last_buttons;
    const bool on_palette = palette_hit(app().mouse_x, app().mouse_y);
    if (app().doc.pasting && app().tools.clipboard) {
        // A short right click ends the paste (editor_mouse); a held one scrolls.
        if (buttons & MOUSE_RIGHT) return 0;
        if ((pressed & MOUSE_LEFT) && !on_palette) {
            editor_end_stroke();
            paste_origin(&x, &y);
            clip_paste(app_map(), *app().tools.clipboard, x, y, editor_tools_region(),
                       app().tools.paste_all ? CLIP_PASTE_ALL : CLIP_PASTE_NONEMPTY);
            return 1;
        }
        // The button that placed the piece paints nothing while it stays down.
        if (buttons & MOUSE_LEFT) return !on_palette;
    }
    if (app().doc.selection.selecting) {
        if (buttons & MOUSE_LEFT) {
            select_rect(clip_rect_between(app().doc.selection.drag_x, app().doc.selection.drag_y, clamp_cell(x), clamp_cell(y)));
            return 1;
        }
        app().doc.selection.selecting = 0;
    }
    const bool select = (modifiers & MOD_SHIFT) || app().mouse_tools.tool == MouseTool::Select;
    if ((pressed & MOUSE_LEFT) && select && !(modifiers & MOD_CTRL) && !on_palette &&
        !app().mouse_tools.shaping) {
        app().doc.selection.selecting = 1;
        app().doc.selection.drag_x = clamp_cell(x);
        app().doc.selection.drag_y = clamp_cell(y);
        select_rect({app().doc.selection.drag_x, app().doc.selection.drag_y, 1, 1});
        return 1;
    }
    return 0;
}

void editor_draw_tools() {
    const Editor& e = app();
    const int s = 16 / e.view.zoom;
    auto screen_x = [&](int32_t cell) { return e.view.offset_x + (cell - e.view.tile_x) * s; };
    auto screen_y = [&](int32_t cell) { return e.view.offset_y + (cell - e.view.tile_y) * s; };
    if (app().doc.pasting && app().tools.clipboard) {
        const ClipPiece* p = app().tools.clipboard.get();
        int32_t x = app().hover.x, y = app().hover.y;
        paste_origin(&x, &y);
        gfx_draw_piece(app().gfx, nullptr, e.doc.map.get(), p, screen_x(x), screen_y(y), s, !app().tools.paste_all);
        gfx_draw_marching_outline(app().gfx, nullptr, screen_x(x) - 1, screen_y(y) - 1, p->width * s + 2,
                                  p->height * s + 2, true);
    }
    mouse_tools_draw();
    if (app().doc.selection.shown)
        gfx_draw_marching_outline(app().gfx, nullptr, screen_x(app().doc.selection.x) - 1, screen_y(app().doc.selection.y) - 1,
                                  app().doc.selection.w * s + 2, app().doc.selection.h * s + 2, false);
}

void editor_tools_free() {
    app().tools = EditorTools{};
}
