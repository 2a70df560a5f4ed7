// tool_commands.cpp - "?rotate", "?flip", "?fill", "?line", "?rect" and "?copyregions": the
// editing tools that are typed rather than clicked. Map changes go through map/clipboard.
#include "editor/commands/tool_commands.h"

#include <cstring>

#include "editor/commands/commands.h"
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
    console_print(app().console, 1, "%s: %u cells", what, cells);
}

bool have_piece() {
    if (app().tools.clipboard) return true;
    console_print(app().console, 1, "the clipboard is empty: Ctrl+C copies the selection");
    return false;
}

void piece_changed() {
    console_print(app().console, 1, "piece now %d x %d cells", app().tools.clipboard->width,
                  app().tools.clipboard->height);
}

} // namespace

void command_rotate(const char*) {
    if (!have_piece()) return;
    clip_rotate(app().tools.clipboard.get());
    piece_changed();
}

void command_flip(const char* arg) {
    bool h = std::strcmp(arg, "h") == 0, v = std::strcmp(arg, "v") == 0;
    if (!(h || v) || !have_piece()) return;
    clip_flip(app().tools.clipboard.get(), h);
    piece_changed();
}

void command_fill(const char* arg) {
    bool border = std::strcmp(arg, "border") == 0;
    if ((*arg && !border) || !app_map()) return;
    if (!app().doc.selection.shown) {
        console_print(app().console, 1,
                      "nothing is selected: Shift + left drag selects, Ctrl+A the whole map");
        return;
    }
    ClipRect sel{app().doc.selection.x, app().doc.selection.y, app().doc.selection.w,
                 app().doc.selection.h};
    report(border ? "border" : "fill",
           clip_fill(app_map(), sel, app().selected_tile, border, app_map()->selected_region));
}

void command_line(const char* arg) {
    int32_t c[4];
    const char* rest = nullptr;
    if (!app_map() || !read_cells(arg, c, 4, &rest) || *rest) return;
    report("line", clip_line(app_map(), c[0], c[1], c[2], c[3], app().selected_tile,
                             app_map()->selected_region));
}

void command_rect(const char* arg) {
    int32_t c[4];
    const char* rest = nullptr;
    if (!app_map() || !read_cells(arg, c, 4, &rest)) return;
    bool filled = std::strcmp(rest, "filled") == 0;
    if (*rest && !filled) return;
    report("rectangle", clip_fill(app_map(), clip_rect_between(c[0], c[1], c[2], c[3]),
                                  app().selected_tile, !filled, app_map()->selected_region));
}

void command_copyregions(const char* arg) {
    if (std::strcmp(arg, "on") == 0)
        app().tools.copy_regions = 1;
    else if (std::strcmp(arg, "off") == 0)
        app().tools.copy_regions = 0;
    else if (*arg)
        return;
    console_print(app().console, 1, "copyregions %s: copies %s the selected region's cells",
                  app().tools.copy_regions ? "on" : "off",
                  app().tools.copy_regions ? "carry" : "leave out");
}
