// view_fit.h - where a map opens: on the median of its non-empty cells, at the largest
// tiles that still show all of them.
#pragma once
#include <cstdint>

struct TileGrid;

// Inclusive corners of the cells to show.
struct CellBox {
    int32_t x0, y0, x1, y1;
};

struct ViewFit {
    int32_t cell_x, cell_y; // the cell to centre on
    int32_t zoom;           // 1, 2 or 4 (a tile is 16 / zoom pixels)
};

// The smallest zoom (largest tiles) at which a window of width x height pixels centred on
// cell (cx, cy) shows every cell of content whole; 4 when none does.
int32_t view_fit_zoom(int32_t cx, int32_t cy, CellBox content, int32_t width, int32_t height);
// The opening view of a map: its median cell at the zoom above, or the map's middle at zoom 1
// for a map without content.
ViewFit view_fit(const TileGrid* tiles, int32_t width, int32_t height);
