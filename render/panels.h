// panels.h - the radar overview and the tile palette in the window's bottom-right corner.
#pragma once

struct MapData;

// Draws the 256 x 256 radar at (x, y) with the view rectangle for the view origin.
void gfx_draw_radar(MapData* map, int x, int y, int origin_x, int origin_y, int zoom);
// Makes the cached radar picture stale (after an edit).
void gfx_invalidate_radar();
// Draws the 312 x 188 tile palette at (x, y).
void gfx_draw_palette(MapData* map, int x, int y);
