// editor_panels.cpp - the rectangles of the panels drawn over the map view, in drawing order.
#include "editor/editor_panels.h"

#include "console/console.h"
#include "editor/editor_overlay.h"
#include "editor/editor_state.h"
#include "editor/layout.h"
#include "editor/mouse_tools.h"
#include "editor/regionlist.h"
#include "render/helpviewer.h"

#include <algorithm>

namespace {

// The console's drawn lines (menu: 8 rows, else 4), up to the widest one.
bool on_console(int32_t x, int32_t y, int32_t rows) {
    int top = 0, width = 0;
    console_extent(app().console, rows, app().view.screen_height, &top, &width);
    return width > 0 && panelrect_contains({0, top, width, app().view.screen_height - top}, x, y);
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

PanelLayout editor_layout() {
    return layout_of(app().view, regionlist_height());
}

PanelId editor_panel_at(int32_t x, int32_t y) {
    const Editor& e = app();
    const PanelLayout layout = editor_layout();
    if (e.menu_open && panelrect_contains(layout.menu, x, y)) return PANEL_MENU;
    if (editor_console_rows() > 0 && on_console(x, y, editor_console_rows())) return PANEL_CONSOLE;
    if (e.view.help_page != 0) {
        int width = 0, height = 0;
        if (helpviewer_page_size(app().help, e.view.help_page - 1, &width, &height) &&
            panelrect_contains({2, 2, width, height}, x, y))
            return PANEL_HELP;
    } else if (e.view.region_list_shown && panelrect_contains(layout.region_list, x, y)) {
        return PANEL_REGION_LIST;
    }
    if (e.alt_held) {
        if (panelrect_contains(layout.radar, x, y)) return PANEL_RADAR;
    } else if (e.view.palette_shown && panelrect_contains(layout.palette, x, y)) {
        return PANEL_PALETTE;
    } else if (e.view.palette_shown && panelrect_contains(layout.tool_strip, x, y)) {
        return PANEL_TOOL_STRIP;
    }
    if (panelrect_contains(layout.status, x, y)) return PANEL_STATUS;
    return PANEL_NONE;
}
