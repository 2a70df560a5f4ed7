// editor_panels.h - where the panels drawn over the map view lie, so that clicks inside them
// stay with them and never reach the map underneath.
#pragma once
#include <cstdint>

#include "editor/layout.h"

// What lies under a window position, topmost first; PANEL_NONE is the map itself.
enum PanelId : int32_t {
    PANEL_NONE = 0,
    PANEL_STATUS,
    PANEL_RADAR,
    PANEL_PALETTE,
    PANEL_TOOL_STRIP,
    PANEL_HELP,
    PANEL_REGION_LIST,
    PANEL_CONSOLE,
    PANEL_MENU,
};

// Rows of history the console shows: console_shown 1 is four rows, 2 a third of the window,
// 0 none; with the menu open at least eight.
int32_t editor_console_rows();
// F5: four rows, then a third of the window, then hidden, then four rows again.
void editor_console_cycle();

// The topmost panel drawn at (x, y) in the current frame, or PANEL_NONE.
PanelId editor_panel_at(int32_t x, int32_t y);

// The panels' rectangles for the current window, region list and all.
PanelLayout editor_layout();
