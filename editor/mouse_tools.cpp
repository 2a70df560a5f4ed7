// mouse_tools.cpp - choosing the left button's tool, and the line, rectangle and fill tools:
// a drag shows the shape's cells and its release draws them as one step.
#include "editor/mouse_tools.h"

#include <cstdio>

#include <algorithm>
#include <cctype>
#include <vector>

#include "console/console.h"
#include "editor/editor_keys.h"
#include "editor/editor_mouse.h"
#include "editor/editor_state.h"
#include "editor/editor_tools.h"
#include "map/edit/clipboard.h"
#include "map/model/mapdata.h"
#include "render/draw.h"
#include "render/tools_overlay.h"

namespace {

constexpr int32_t kModAlt = 0x300; // SDL 1.2's KMOD_LALT | KMOD_RALT

int32_t clamp_cell(int32_t v) {
    return std::clamp(v, 0, 1023);
}

// The shape's cells as a piece over its bounding box: the brush on its cells, 0 elsewhere.
ClipPiece shape_piece(const MouseTools& t, int brush) {
    ClipRect r = clip_rect_between(t.x0, t.y0, t.x1, t.y1);
    ClipPiece p;
    p.width = r.width;
    p.height = r.height;
    p.tiles.assign(static_cast<size_t>(r.width) * r.height, 0);
    auto put = [&](int32_t x, int32_t y) {
        p.tiles[static_cast<size_t>(x - r.x) * r.height + (y - r.y)] = static_cast<uint8_t>(brush);
    };
    if (t.tool == MouseTool::Line) {
        std::vector<ClipPoint> points;
        clip_line_points(t.x0, t.y0, t.x1, t.y1, &points);
        for (const ClipPoint& c : points)
            put(c.x, c.y);
    } else {
        for (int32_t x = r.x; x < r.x + r.width; ++x)
            for (int32_t y = r.y; y < r.y + r.height; ++y)
                if (t.filled || x == r.x || y == r.y || x == r.x + r.width - 1 ||
                    y == r.y + r.height - 1)
                    put(x, y);
    }
    return p;
}

void draw_shape(MapEdit map, const MouseTools& t, int brush) {
    uint32_t cells = 0;
    if (t.tool == MouseTool::Line)
        cells = clip_line(map, t.x0, t.y0, t.x1, t.y1, brush, app().doc.selected_region);
    else
        cells = clip_fill(map, clip_rect_between(t.x0, t.y0, t.x1, t.y1), brush, !t.filled,
                          app().doc.selected_region);
    console_print(app().console, 1, "%s: %u cells",
                  t.tool == MouseTool::Line ? "line" : "rectangle", cells);
}

} // namespace

void mouse_tools_choose(MouseTool tool) {
    mouse_tools_cancel();
    app().mouse_tools.tool = tool;
}

int mouse_tools_key(int32_t key, int32_t modifiers) {
    if (modifiers & (MOD_CTRL | kModAlt)) return 0;
    if (key < 'a' || key > 'z') return 0;
    for (const MouseToolInfo& info : kMouseTools)
        if (std::tolower(info.key) == key) {
            mouse_tools_choose(info.tool);
            return 1;
        }
    return 0;
}

int mouse_tools_cancel() {
    int was = app().mouse_tools.shaping;
    app().mouse_tools.shaping = 0;
    app().mouse_tools.swallow_left = was != 0;
    return was;
}

int mouse_tools_mouse(int32_t modifiers, uint32_t buttons, uint32_t pressed, int32_t x, int32_t y) {
    MouseTools& t = app().mouse_tools;
    MapEdit map = app_map();
    // The left button that a right click took its shape from draws nothing until released.
    if (t.swallow_left) {
        t.swallow_left = (buttons & MOUSE_LEFT) != 0;
        return 1;
    }
    if (t.shaping) {
        // A right press waits: released soon it ends the shape (mouse_tools_cancel).
        if (buttons & MOUSE_RIGHT) return 1;
        t.x1 = clamp_cell(x);
        t.y1 = clamp_cell(y);
        t.filled = (modifiers & MOD_SHIFT) != 0;
        if (buttons & MOUSE_LEFT) return 1;
        // Released: one step.
        t.shaping = 0;
        editor_end_stroke();
        draw_shape(map, t, app().selected_tile);
        return 1;
    }
    if (!(pressed & MOUSE_LEFT) || (modifiers & MOD_CTRL)) return 0;
    if (t.tool == MouseTool::Line || t.tool == MouseTool::Rect) {
        t.shaping = 1;
        t.x0 = t.x1 = clamp_cell(x);
        t.y0 = t.y1 = clamp_cell(y);
        t.filled = (modifiers & MOD_SHIFT) != 0;
        return 1;
    }
    if (t.tool == MouseTool::Fill) {
        editor_end_stroke();
        editor_flood_fill(x, y);
        return 1;
    }
    return 0;
}

void mouse_tools_draw_strip(int32_t x, int32_t y) {
    gfx_clear_rect(app().gfx, nullptr, static_cast<int16_t>(x), static_cast<int16_t>(y), kToolStripWidth,
                   kToolStripHeight);
    for (int i = 0; i < 7; ++i) {
        const MouseToolInfo& info = kMouseTools[i];
        const bool chosen = info.tool == app().mouse_tools.tool;
        const int cx = x + i * kToolStripCell;
        gfx_draw_outline(app().gfx, nullptr, static_cast<int16_t>(cx), static_cast<int16_t>(y), kToolStripCell,
                         kToolStripHeight, chosen ? COLOUR_YELLOW : COLOUR_GREY);
        char label[8];
        std::snprintf(label, sizeof label, "%.5s", info.label.data());
        gfx_draw_text(app().gfx, nullptr, static_cast<int16_t>(cx + 2), static_cast<int16_t>(y + 2), label,
                      chosen ? COLOUR_YELLOW : COLOUR_GREY);
    }
}

bool mouse_tools_strip_hit(int32_t px, int32_t py, int32_t x, int32_t y, MouseTool* out) {
    if (px < x || py < y || px >= x + kToolStripWidth || py >= y + kToolStripHeight) return false;
    *out = kMouseTools[(px - x) / kToolStripCell].tool;
    return true;
}

void mouse_tools_draw() {
    const MouseTools& t = app().mouse_tools;
    if (!t.shaping) return;
    const Editor& e = app();
    const int s = 16 / e.view.zoom;
    ClipPiece p = shape_piece(t, e.selected_tile);
    ClipRect r = clip_rect_between(t.x0, t.y0, t.x1, t.y1);
    gfx_draw_piece(app().gfx, nullptr, e.doc.map.get(), &p, e.view.offset_x + (r.x - e.view.tile_x) * s,
                   e.view.offset_y + (r.y - e.view.tile_y) * s, s, true);
}
