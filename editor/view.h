// view.h - what the window shows of the map: zoom, centre, window size, grid and panels.
// The one owner of these; drawing is handed them, nothing keeps a copy.
#pragma once
#include <cstdint>

struct View {
    int16_t screen_width = 640; // window size in pixels
    int16_t screen_height = 480;
    int16_t center_x = 0; // map pixels (16 per tile at every zoom), 0..16384
    int16_t center_y = 0;
    int16_t offset_x = 0; // derived: 0, or at zoom 1 minus the sub-tile part of the centre
    int16_t offset_y = 0;
    int16_t tile_x = 0; // derived: map column drawn at the view's left edge
    int16_t tile_y = 0;
    int32_t zoom = 1; // 1, 2 or 4: a tile is 16 / zoom pixels square
    int32_t grid_shown = 1;
    int32_t console_shown = 1;
    int32_t region_list_shown = 0;
    int32_t regions_all = 0; // every region's cells marked in its colour, not only the selected one
    int32_t palette_shown = 0;
    int32_t fps_shown = 0;  // the frame-rate figure (F6)
    int32_t help_page = 0;  // 0 none, k > 0 shows page k - 1
};

// Clamps the centre to the map and derives the offset and the top-left tile from it.
void view_update(View* view);
// The map cell under window position (px, py).
inline int32_t view_cell_x(const View& v, int32_t px) {
    return (px - v.offset_x) / (16 / v.zoom) + v.tile_x;
}
inline int32_t view_cell_y(const View& v, int32_t py) {
    return (py - v.offset_y) / (16 / v.zoom) + v.tile_y;
}
