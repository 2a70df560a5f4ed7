// layout.h - where each panel drawn over the map view lies in the window, worked out from
// the View alone: drawing puts the panels there and hit-testing looks for them there.
#pragma once
#include <cstdint>

struct View;

struct PanelRect {
    int32_t x = 0, y = 0, w = 0, h = 0;
};

[[nodiscard]] inline bool panelrect_contains(const PanelRect& r, int32_t px, int32_t py) {
    return px >= r.x && px < r.x + r.w && py >= r.y && py < r.y + r.h;
}

// The fixed panels; the region list's height follows its shown rows and the console's and
// help page's extents follow their text, so those widgets report their own.
struct PanelLayout {
    PanelRect menu;           // F10's box, centred at the top
    PanelRect status;         // the top-right box: file, cell, region, zoom, selection
    PanelRect radar;          // the whole map at 4 x 4 cells a pixel, bottom right (Alt held)
    PanelRect palette;        // the tile palette, bottom right
    PanelRect palette_strip;  // its row of special tiles, 16 pixels each
    PanelRect palette_tiles;  // its tileset, 19 x 10 tiles of 16 pixels
    PanelRect tool_strip;     // the mouse tools, just above the palette
    PanelRect region_list;    // top left; h is the list's current height
};

[[nodiscard]] PanelLayout layout_of(const View& view, int32_t region_list_height);
