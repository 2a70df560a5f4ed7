// editor_overlay.cpp - the brush display and the menu overlay, drawn over the map view.
#include "editor/editor_overlay.h"

#include "editor/editor_state.h"
#include "map/mapdata.h"
#include "map/region.h"
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
    {"Any other key to resume", -97, 70, COLOUR_YELLOW},
    {"Zoom", 55, 14, COLOUR_RED},
    {"1 = Normal", 39, 22, COLOUR_GREY},
    {"2 = Double", 39, 30, COLOUR_GREY},
    {"4 = Large", 39, 46, COLOUR_GREY},
};

// The file's short name (its last path component) or the map's label, at most 24 characters.
void short_name(const MapData* map, char* out, size_t size) {
    const char* name = map->path ? map->path : map->name;
    if (const char* slash = std::strrchr(name, '/'); slash && slash[1] != '\0') name = slash + 1;
    std::snprintf(out, size, "%.24s", name);
}

} // namespace

void editor_draw_status() {
    int w = g_editor.screen_width;
    if (const MapData* map = g_editor.current_map) {
        // The file's short name, then a red "*" while there are unsaved changes.
        char name[25];
        short_name(map, name, sizeof name);
        int x = w - 72 - 8 * static_cast<int>(std::strlen(name));
        gfx_draw_text(nullptr, static_cast<int16_t>(x), 12, name, COLOUR_GREY);
        if (mapdata_modified(map))
            gfx_draw_text(nullptr, static_cast<int16_t>(w - 72), 12, "*", COLOUR_RED);
    }
    char number[4];
    std::snprintf(number, sizeof number, "%3d", g_editor.selected_tile & 0xFF);
    gfx_draw_text(nullptr, static_cast<int16_t>(w - 56), 12, number, COLOUR_GREY);
    // Values without a picture leave the place empty.
    gfx_draw_tile(nullptr, g_editor.current_map, w - 24, 8, g_editor.selected_tile);
    // The selected region, under the brush, also while the region list is hidden.
    const MapData* map = g_editor.current_map;
    if (map && map->selected_region) {
        char text[40];
        std::snprintf(text, sizeof text, "region %.24s", region_name(map->selected_region));
        int x = w - 8 - 8 * static_cast<int>(std::strlen(text));
        gfx_draw_text(nullptr, static_cast<int16_t>(x), 28, text, COLOUR_GREY);
    }
}

void editor_draw_menu() {
    int m = g_editor.screen_width / 2;
    gfx_clear_rect(nullptr, static_cast<int16_t>(m - 139), 2, 278, 78);
    gfx_draw_outline(nullptr, static_cast<int16_t>(m - 139), 2, 278, 78, COLOUR_GREY);
    for (const MenuLine& line : kMenuLines)
        gfx_draw_text(nullptr, static_cast<int16_t>(m + line.dx), static_cast<int16_t>(line.y),
                      line.text, line.colour);
}
