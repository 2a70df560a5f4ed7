// mapview.h - the window's map view: the map buffer with its redraw cache, zoom and grid.
// gfx_invalidate_view is declared in render/gfx.h.
#pragma once
#include <cstdint>

struct SDL_Surface;
struct MapData;

// Per-frame call: redraws the map buffer when the origin changed or the view is stale,
// then blits it to the screen. Columns or rows below 1 derive both from the window size.
void gfx_draw_map(MapData* map, int view_offset_x, int view_offset_y, int origin_x, int origin_y,
                  int columns, int rows);
// Sets the renderer zoom (1..4; other values are ignored).
void gfx_set_zoom(int zoom);
// Shows or hides the grid lines on empty cells (zoom 1); a change redraws the view.
void gfx_set_grid(bool shown);
// Draws the 16 x 16 picture of a tile value at (x, y); 1 when the value has one, else 0.
int gfx_draw_tile(SDL_Surface* dest, MapData* map, int x, int y, int tile);

struct Region;
// The highlight of a region's cells: in the region's colour ("rCOL") when it has one, else the
// default highlight bitmap (none when that is absent). Alpha 128.
SDL_Surface* gfx_region_highlight(const Region* region);
// Marks every region cell of the columns x rows cells from (origin_x, origin_y), drawn from
// (x, y) at size pixels a cell: every other pixel of the cell in the colour of the first region
// that holds it (purple without a colour), so the tiles show through. Null dest: the screen.
void gfx_draw_region_cells(SDL_Surface* dest, const MapData* map, int x, int y, int origin_x,
                           int origin_y, int columns, int rows, int size);
// A size x size colour square at (x, y); without a colour an empty grey frame.
void gfx_draw_swatch(SDL_Surface* dest, int x, int y, int size, const uint8_t* rgb);
