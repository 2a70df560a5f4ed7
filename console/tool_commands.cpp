// tool_commands.cpp - "?rotate", "?flip", "?fill", "?line", "?rect" and "?copyregions": the
// editing tools that are typed rather than clicked. Map changes go through map/clipboard.
#include "console/tool_commands.h"

#include <cstring>

#include "console/commands.h"
#include "console/console.h"
#include "editor/editor_state.h"
#include "map/edit/clipboard.h"
#include "map/model/mapdata.h"

namespace {

// Reads count cell coordinates separated by spaces or commas; each must lie on the map.
// *rest points after the last one.
bool read_cells(const char* arg, int32_t* out, int count, const char** rest) {
    const char* p = arg;
    for (int i = 0; i < count; ++i) {
        while (*p == ',' || *p == ' ')
            ++p;
        if (!command_read_number(p, &out[i], &p)) return false;
        if (out[i] < 0 || out[i] > 1023) return false;
    }
    while (*p == ' ')
        ++p;
    *rest = p;
    return true;
}

// The views follow the map's revision, so a report is all that is left to do.
void report(const char* what, uint32_t cells) {
    console_print(1, "%s: %u cells", what, cells);
}

bool have_piece() {
    if (g_tools.clipboard) return true;
    console_print(1, "the clipboard is empty: Ctrl+C copies the selection");
    return false;
}

void piece_changed() {
    console_print(1, "piece now %d x %d cells", g_tools.clipboard->width,
                  g_tools.clipboard->height);
}

} // namespace

void command_rotate(const char*) {
    if (!have_piece()) return;
    clip_rotate(g_tools.clipboard);
    piece_changed();
}

void command_flip(const char* arg) {
    bool h = std::strcmp(arg, "h") == 0, v = std::strcmp(arg, "v") == 0;
    if (!(h || v) || !have_piece()) return;
    clip_flip(g_tools.clipboard, h);
    piece_changed();
}

void command_fill(const char* arg) {
    bool border = std::strcmp(arg, "border") == 0;
    if ((*arg && !border) || !g_editor.current_map) return;
    if (!g_tools.selection_shown) {
        console_print(1, "nothing is selected: Shift + left drag selects, Ctrl+A the whole map");
        return;
    }
    ClipRect sel{g_tools.sel_x, g_tools.sel_y, g_tools.sel_w, g_tools.sel_h};
    report(border ? "border" : "fill", clip_fill(g_editor.current_map, sel, g_editor.selected_tile,
                                                 border, g_editor.current_map->selected_region));
}

void command_line(const char* arg) {
    int32_t c[4];
    const char* rest = nullptr;
    if (!g_editor.current_map || !read_cells(arg, c, 4, &rest) || *rest) return;
    report("line", clip_line(g_editor.current_map, c[0], c[1], c[2], c[3], g_editor.selected_tile,
                             g_editor.current_map->selected_region));
}

void command_rect(const char* arg) {
    int32_t c[4];
    const char* rest = nullptr;
    if (!g_editor.current_map || !read_cells(arg, c, 4, &rest)) return;
    bool filled = std::strcmp(rest, "filled") == 0;
    if (*rest && !filled) return;
    report("rectangle",
           clip_fill(g_editor.current_map, clip_rect_between(c[0], c[1], c[2], c[3]),
                     g_editor.selected_tile, !filled, g_editor.current_map->selected_region));
}

void command_copyregions(const char* arg) {
    if (std::strcmp(arg, "on") == 0)
        g_tools.copy_regions = 1;
    else if (std::strcmp(arg, "off") == 0)
        g_tools.copy_regions = 0;
    else if (*arg)
        return;
    console_print(1, "copyregions %s: copies %s the selected region's cells",
                  g_tools.copy_regions ? "on" : "off",
                  g_tools.copy_regions ? "carry" : "leave out");
}
