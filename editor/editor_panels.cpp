// editor_panels.cpp - the rectangles of the panels drawn over the map view, in drawing order.
#include "editor/editor_panels.h"

#include "console/console.h"
#include "editor/editor_overlay.h"
#include "editor/editor_state.h"
#include "editor/mouse_tools.h"
#include "editor/regionlist.h"
#include "render/helpviewer.h"

#include <algorithm>

namespace {

bool inside(int32_t x, int32_t y, int32_t left, int32_t top, int32_t width, int32_t height) {
    return x >= left && x < left + width && y >= top && y < top + height;
}

// The console's drawn lines (menu: 8 rows, else 4), up to the widest one.
bool on_console(int32_t x, int32_t y, int32_t rows) {
    int top = 0, width = 0;
    console_extent(app().console, rows, app().view.screen_height, &top, &width);
    return width > 0 && inside(x, y, 0, top, width, app().view.screen_height - top);
}

} // namespace

int32_t editor_console_rows() {
    const Editor& e = app();
    int32_t rows = e.view.console_shown == 2 ? e.view.screen_height / 3 / 8 : e.view.console_shown ? 4 : 0;
    return e.menu_open ? std::max(rows, 8) : rows;
}

void editor_console_cycle() {
    app().view.console_shown = (app().view.console_shown + 1) % 3;
}

int32_t editor_tool_strip_x() {
    return app().view.screen_width - 314;
}

int32_t editor_tool_strip_y() {
    return app().view.screen_height - 190 - kToolStripHeight - 2;
}

int32_t editor_radar_x() {
    return app().view.screen_width - 258;
}

int32_t editor_radar_y() {
    return app().view.screen_height - 258;
}

PanelId editor_panel_at(int32_t x, int32_t y) {
    const Editor& e = app();
    if (e.menu_open && inside(x, y, e.view.screen_width / 2 - 139, 2, 278, 78)) return PANEL_MENU;
    if (editor_console_rows() > 0 && on_console(x, y, editor_console_rows())) return PANEL_CONSOLE;
    int width = 0, height = 0;
    if (e.view.help_page != 0) {
        if (helpviewer_page_size(app().help, e.view.help_page - 1, &width, &height) &&
            inside(x, y, 2, 2, width, height))
            return PANEL_HELP;
    } else if (e.view.region_list_shown && inside(x, y, 4, 4, 160, regionlist_height())) {
        return PANEL_REGION_LIST;
    }
    if (e.alt_held) {
        if (inside(x, y, editor_radar_x(), editor_radar_y(), 256, 256)) return PANEL_RADAR;
    } else if (e.view.palette_shown &&
               inside(x, y, e.view.screen_width - 314, e.view.screen_height - 190, 312, 188)) {
        return PANEL_PALETTE;
    } else if (e.view.palette_shown && inside(x, y, editor_tool_strip_x(), editor_tool_strip_y(),
                                         kToolStripWidth, kToolStripHeight)) {
        return PANEL_TOOL_STRIP;
    }
    int left = 0, top = 0;
    editor_status_box(&left, &top, &width, &height);
    if (inside(x, y, left, top, width, height)) return PANEL_STATUS;
    return PANEL_NONE;
}
