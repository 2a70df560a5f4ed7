// editor_overlay.cpp - the status box, the palette marks and the menu overlay, drawn over the
// map view.
#include "editor/editor_overlay.h"

#include "editor/editor_loop.h"
#include "editor/editor_mouse.h"
#include "editor/editor_panels.h"
#include "editor/editor_state.h"
#include "editor/mouse_tools.h"
#include "map/model/mapdata.h"
#include "map/model/region.h"
#include "render/draw.h"
#include "render/mapview.h"

#include <cstdio>
#include <cstring>

namespace {

struct MenuLine {
    const char* text;
    int dx; // from the window's horizontal middle
    int y;
    uint32_t colour;
};


constexpr MenuLine kMenuLines[] = {
    {"-= Menu =-", -49, 4, COLOUR_GREEN},
    {"Q  = Quit", -137, 14, COLOUR_RED},
    {"F1 = Help", -137, 22, COLOUR_GREY},
    {"F2 = Show region list", -137, 30, COLOUR_GREY},
    {"F3 = Show grid", -137, 38, COLOUR_GREY},
    {"F4 = Show palette", -137, 46, COLOUR_GREY},
    {"F5 = Console", -137, 54, COLOUR_GREY},
    {"F6 = Frame rate", -137, 62, COLOUR_GREY},
    {"Any other key to resume", -97, 70, COLOUR_YELLOW},
    {"Tile size", 39, 14, COLOUR_RED},
    {"1 = Large", 39, 22, COLOUR_GREY},
    {"2 = Medium", 39, 30, COLOUR_GREY},
    {"4 = Small", 39, 46, COLOUR_GREY},
    {"R = All regions", 39, 62, COLOUR_GREY},
};

// The file's short name (its last path component) or the map's label, whole when it fits
// size - 1 characters, else its start and end around a "~".
void short_name(const Document& doc, char* out, size_t size) {
    const char* name = document_title(doc);
    if (const char* slash = std::strrchr(name, '/'); slash && slash[1] != '\0') name = slash + 1;
    size_t n = std::strlen(name), room = size - 1;
    if (n <= room) {
        std::snprintf(out, size, "%s", name);
        return;
    }
    size_t head = (room - 1) / 2, tail = room - 1 - head;
    std::snprintf(out, size, "%.*s~%s", static_cast<int>(head), name, name + n - tail);
}

} // namespace

void editor_draw_status() {
    const Editor& e = app();
    const MapData* map = e.doc.map.get();
    const PanelRect box = editor_layout().status;
    const int w = e.view.screen_width, left = box.x, top = box.y, width = box.w, height = box.h;
    gfx_clear_rect(app().gfx, nullptr, static_cast<int16_t>(left), static_cast<int16_t>(top),
                   static_cast<uint16_t>(width), static_cast<uint16_t>(height));
    gfx_draw_outline(app().gfx, nullptr, static_cast<int16_t>(left), static_cast<int16_t>(top),
                     static_cast<uint16_t>(width), static_cast<uint16_t>(height), COLOUR_GREY);
    const int16_t x = static_cast<int16_t>(left + 4);
    char text[32];
    // The file's short name, and a red star while it has changes not yet saved.
    char name[17] = ""; // 16 characters: the brush is drawn right of them
    if (map) short_name(app().doc, name, sizeof name);
    std::snprintf(text, sizeof text, "%s", name);
    gfx_draw_text(app().gfx, nullptr, x, static_cast<int16_t>(top + 4), text, COLOUR_GREEN);
    if (document_modified(app().doc))
        gfx_draw_text(app().gfx, nullptr, static_cast<int16_t>(x + 8 * std::strlen(text) + 8),
                      static_cast<int16_t>(top + 4), "*", COLOUR_RED);
    // The cell under the pointer and its value; nothing while a panel covers the map there.
    if (editor_panel_at(e.pointer_x, e.pointer_y) != PANEL_NONE || !map) {
        std::snprintf(text, sizeof text, "-");
    } else if (app().hover.x < 0 || app().hover.x > 1023 || app().hover.y < 0 || app().hover.y > 1023) {
        std::snprintf(text, sizeof text, "off the map");
    } else {
        std::snprintf(text, sizeof text, "%d,%d = %d", app().hover.x, app().hover.y,
                      mapdata_get_tile(map, app().hover.x, app().hover.y));
    }
    gfx_draw_text(app().gfx, nullptr, x, static_cast<int16_t>(top + 14), text, COLOUR_GREY);
    const Region* region = map ? app().doc.selected_region : nullptr;
    std::snprintf(text, sizeof text, "region %.11s", region ? region->name : "-");
    gfx_draw_text(app().gfx, nullptr, x, static_cast<int16_t>(top + 24), text, COLOUR_PURPLE);
    std::snprintf(text, sizeof text, "zoom %d  %.12s", static_cast<int>(e.view.zoom),
                  mouse_tool_name(app().mouse_tools.tool).data());
    gfx_draw_text(app().gfx, nullptr, x, static_cast<int16_t>(top + 34), text, COLOUR_GREY);
    if (app().doc.selection.shown)
        std::snprintf(text, sizeof text, "selection %d x %d", app().doc.selection.w, app().doc.selection.h);
    else
        std::snprintf(text, sizeof text, "no selection");
    gfx_draw_text(app().gfx, nullptr, x, static_cast<int16_t>(top + 44), text, COLOUR_GREY);
    // The brush: its number right-aligned beside its picture, labelled below.
    std::snprintf(text, sizeof text, "%3d", e.selected_tile & 0xFF);
    gfx_draw_text(app().gfx, nullptr, static_cast<int16_t>(w - 56), 12, text, COLOUR_GREY);
    // Values without a picture leave the place empty.
    gfx_draw_tile(app().gfx, nullptr, e.doc.map.get(), w - 24, 8, e.selected_tile);
    gfx_draw_text(app().gfx, nullptr, static_cast<int16_t>(w - 56), 28, "brush", COLOUR_YELLOW);
}

void editor_draw_palette_marks() {
    const Editor& e = app();
    const PanelLayout layout = editor_layout();
    const int x0 = layout.palette.x, y0 = layout.palette.y;
    // The brush's cell in the strip or the tileset, outlined.
    int cell_x = -1, cell_y = -1;
    for (int k = 0; k < 10; ++k)
        if (kPaletteStrip[k] == e.selected_tile)
            cell_x = layout.palette_strip.x + 16 * k, cell_y = layout.palette_strip.y;
    if (e.selected_tile >= 1 && e.selected_tile <= 190) {
        cell_x = layout.palette_tiles.x + (e.selected_tile - 1) % 19 * 16;
        cell_y = layout.palette_tiles.y + (e.selected_tile - 1) / 19 * 16;
    }
    if (cell_x >= 0)
        gfx_draw_outline(app().gfx, nullptr, static_cast<int16_t>(cell_x), static_cast<int16_t>(cell_y), 16,
                         16, COLOUR_YELLOW);
    // The number of the tile under the pointer, right of the strip.
    if (editor_panel_at(e.pointer_x, e.pointer_y) != PANEL_PALETTE) return;
    const int tile = palette_pick(e.pointer_x, e.pointer_y);
    if (tile == 0) return;
    char text[16];
    std::snprintf(text, sizeof text, "tile %d", tile);
    gfx_draw_text(app().gfx, nullptr, static_cast<int16_t>(x0 + 172), static_cast<int16_t>(y0 + 8), text,
                  COLOUR_GREY);
}

void editor_draw_menu() {
    const int m = app().view.screen_width / 2;
    const PanelRect box = editor_layout().menu;
    gfx_clear_rect(app().gfx, nullptr, static_cast<int16_t>(box.x), static_cast<int16_t>(box.y),
                   static_cast<uint16_t>(box.w), static_cast<uint16_t>(box.h));
    gfx_draw_outline(app().gfx, nullptr, static_cast<int16_t>(box.x), static_cast<int16_t>(box.y),
                     static_cast<uint16_t>(box.w), static_cast<uint16_t>(box.h), COLOUR_GREY);
    for (const MenuLine& line : kMenuLines)
        gfx_draw_text(app().gfx, nullptr, static_cast<int16_t>(m + line.dx), static_cast<int16_t>(line.y),
                      line.text, line.colour);
}
