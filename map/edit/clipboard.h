// clipboard.h - pieces of a map and the area tools: copy, cut, clear and paste a rectangle of
// cells with its objects (and optionally one region's cells), turn and mirror a piece, and
// write the brush into an area (fill, border, flood fill, line, rectangle). Every operation
// that changes the map is one step of map/edit, so one undo takes it back whole.
//
// Objects are never cut in half: a copy holds the objects whose square lies inside the
// rectangle; one that crosses its edge is left out (its cells copy as 0) and is removed whole
// by a cut or a clear. Writing over any cell of an object removes that object whole first.
#pragma once
#include <cstdint>
#include <vector>

#include "map/edit/edit.h"

struct MapData;
struct Region;

// A rectangle of cells; width and height of at least 1 for a non-empty one.
struct ClipRect {
    int32_t x, y, width, height;
};

// An object of a piece: its anchor relative to the piece's top-left cell, and its tile.
struct ClipObject {
    int32_t x, y;
    uint8_t tile;
};

// A copied rectangle of cells. Cells are stored column by column: cell (x, y) is
// tiles[x * height + y]; the anchor and filler cells of its objects hold their values.
struct ClipPiece {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> tiles;
    std::vector<ClipObject> objects; // in the map's stamp order
    std::vector<uint8_t> region;     // empty, or 1 per cell that belonged to the copied region
};

// Brushes with a meaning of their own for the area tools.
inline constexpr int kClipRegionBrush = 251; // adds the cells to the given region
// Most objects one operation places; a larger fill would make a history no undo can walk.
inline constexpr uint32_t kClipMaxObjects = 10000;

// The rectangle cut to the map (0..1023 on both axes); width 0 when nothing is left.
ClipRect clip_to_map(ClipRect rect);
// The rectangle with corners (x1, y1) and (x2, y2), in any order.
ClipRect clip_rect_between(int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// Copies the rectangle (cut to the map) into *out; with a region, also which cells belong
// to it. Returns 0 (and leaves *out alone) when nothing of the rectangle is on the map.
int clip_copy(const MapData* map, ClipRect rect, const Region* region, ClipPiece* out);
// Copies, then clears the rectangle as clip_clear does; one step. 0 when nothing was copied.
int clip_cut(MapEdit map, ClipRect rect, Region* region, ClipPiece* out);
// Sets the rectangle's cells to 0, removing whole every object that has a cell in it; with a
// region, its cells there also leave that region. One step; returns 1 when something changed.
int clip_clear(MapEdit map, ClipRect rect, Region* region);
// What a paste writes: only the piece's non-empty cells (the map keeps what lies under its
// empty ones, as a stamp does), or every cell, 0 included.
enum ClipPasteMode : int { CLIP_PASTE_NONEMPTY, CLIP_PASTE_ALL };
// Writes the piece with its top-left cell at (x, y), cut at the map's edge: the cells the mode
// writes replace the map's, objects under them are removed whole, the piece's objects are
// placed (an object anchored off the map is left out, one reaching past the edge is clipped
// like any object). With a region and a piece that holds region cells, the pasted cells'
// membership of that region becomes the piece's (with CLIP_PASTE_NONEMPTY cells only join
// it). One step; 1 when it changed.
int clip_paste(MapEdit map, const ClipPiece& piece, int32_t x, int32_t y, Region* region,
               ClipPasteMode mode = CLIP_PASTE_ALL);
// The top-left cell that puts the piece's middle cell on (x, y).
inline void clip_paste_origin(const ClipPiece& piece, int32_t* x, int32_t* y) {
    *x -= (piece.width - 1) / 2;
    *y -= (piece.height - 1) / 2;
}

// Turns the piece 90 degrees clockwise, or mirrors it left to right (horizontal) or top to
// bottom. Tiles keep their values; each object's square moves with the piece and its anchor
// stays the square's top-left cell.
void clip_rotate(ClipPiece* piece);
void clip_flip(ClipPiece* piece, bool horizontal);

// The area tools write the brush (0..255) and return the number of cells they changed; each
// call is one step. An object tile places objects on a grid of its size from the area's
// top-left cell (the start cell for a flood fill), each square wholly inside the area; along
// a line or an outline an object is placed wherever its square misses the ones placed
// before. The region brush adds the cells to region (nothing without one).
uint32_t clip_fill(MapEdit map, ClipRect rect, int brush, bool border_only, Region* region);
// Makes every cell of the rectangle (cut to the map) a member of region (member true) or not;
// the cells' other regions stay. One step; returns the cells that changed.
uint32_t clip_region_area(MapEdit map, ClipRect rect, Region* region, bool member);
// Fills the 4-connected cells that hold the start cell's value, within *within when given.
// Objects and filler cells (250) stop the fill; a start on one fills nothing.
uint32_t clip_flood_fill(MapEdit map, int32_t x, int32_t y, int brush, const ClipRect* within,
                         Region* region);
uint32_t clip_line(MapEdit map, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int brush,
                   Region* region);

// A cell of a line.
struct ClipPoint {
    int32_t x, y;
};
// Appends the cells of the line from (x1, y1) to (x2, y2) as Bresenham draws it, first to last.
void clip_line_points(int32_t x1, int32_t y1, int32_t x2, int32_t y2, std::vector<ClipPoint>* out);
