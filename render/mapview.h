// mapview.h - the window's map view: the map buffer with its redraw cache.
// gfx_invalidate_view is declared in render/gfx.h.
#pragma once
#include <cstdint>

struct GfxState;
struct SDL_Surface;
struct MapData;

// What of the map the window shows in a frame, handed over by the view that owns it.
struct Region;

struct MapViewFrame {
    int offset_x = 0; // where the buffer lands at zoom 1: 0 or minus the sub-tile part
    int offset_y = 0;
    int origin_x = 0; // the map cell at the top-left corner
    int origin_y = 0;
    int columns = 0; // cells across and down; below 1 derives both from the window size
    int rows = 0;
    int zoom = 1;     // 1, 2 or 4: a tile is 16 / zoom pixels
    bool grid = true; // grid lines on empty cells at zoom 1
    const Region* selected_region = nullptr; // drawn highlighted, in its colour when it has one
};

// Per-frame call: redraws the map buffer when what it shows changed or the view is stale,
// then blits it to the screen.
void gfx_draw_map(GfxState& gfx, MapData* map, const MapViewFrame& frame);
// Draws the 16 x 16 picture of a tile value at (x, y); 1 when the value has one, else 0.
int gfx_draw_tile(GfxState& gfx, SDL_Surface* dest, MapData* map, int x, int y, int tile);

// The highlight of a region's cells: in the region's colour ("rCOL") when it has one, else the
// default highlight bitmap (none when that is absent). Alpha 128.
SDL_Surface* gfx_region_highlight(GfxState& gfx, const Region* region);
// Marks every region cell of the columns x rows cells from (origin_x, origin_y), drawn from
// (x, y) at size pixels a cell: every other pixel of the cell in the colour of the first region
// that holds it (purple without a colour), so the tiles show through. Null dest: the screen.
void gfx_draw_region_cells(GfxState& gfx, SDL_Surface* dest, const MapData* map, int x, int y,
                           int origin_x, int origin_y, int columns, int rows, int size);
// A size x size colour square at (x, y); without a colour an empty grey frame.
void gfx_draw_swatch(GfxState& gfx, SDL_Surface* dest, int x, int y, int size, const uint8_t* rgb);
