// tools_overlay.h - what the editing tools draw over the map view: a selection's marching
// outline and a piece being pasted, translucent. A null destination means the screen.
#pragma once
#include <cstdint>

struct SDL_Surface;
struct MapData;
struct ClipPiece;

// A one-pixel dashed border of the rectangle (window pixels, any size, clipped to dest);
// the dashes march on with the animation clock. Black and white, or yellow and black for a
// paste.
void gfx_draw_marching_outline(SDL_Surface* dest, int x, int y, int width, int height, bool paste);
// The piece with its top-left cell at (x, y), cells of size pixels (16, 8 or 4): tile
// pictures at 16, class colours when smaller, each blended half and half with what is there;
// cells without a picture darken what is there (the paste writes them as they are), unless
// skip_empty leaves empty cells out (a paste that keeps the map under them).
void gfx_draw_piece(SDL_Surface* dest, MapData* map, const ClipPiece* piece, int x, int y, int size,
                    bool skip_empty = false);
