// mapdraw.h - the map drawn onto a surface it is given, with the pictures, zoom, grid and
// highlighted region passed in: the editor's map buffer and a headless tool's off-screen band
// go through the same code, and nothing here needs a window.
#pragma once
#include <cstdint>

struct SDL_Surface;
struct SDL_PixelFormat;
struct MapData;
struct Region;

constexpr int MAPDRAW_SPRITE_SHEETS = 5;
// Picture sizes kept per tile: 16, 8 and 4 pixels (zoom 1, 2 and 4).
constexpr int MAPDRAW_LEVELS = 3;

// The pictures a drawing uses; any of them may be absent. Index 0 holds the full-size
// pictures, 1 and 2 the ones scaled to a half and a quarter (for zoom 2 and 4).
struct MapPictures {
    SDL_Surface* tileset[MAPDRAW_LEVELS] = {};                        // 19 x 10 tile cells
    SDL_Surface* sprites[MAPDRAW_LEVELS][MAPDRAW_SPRITE_SHEETS] = {}; // tiles 216..220
    SDL_Surface* extra_tiles[MAPDRAW_LEVELS] = {};                    // 9 icons in a row
    SDL_Surface* highlight = nullptr; // translucent; its top-left covers a highlighted cell
    uint32_t anim_counter = 0;        // selects the sprite frames
};

// What to draw: cells from (origin_x, origin_y), columns x rows of them, at the destination's
// top-left corner, each 16 / zoom pixels square.
struct MapScene {
    const MapData* map = nullptr;
    int origin_x = 0;
    int origin_y = 0;
    int columns = 0;
    int rows = 0;
    int zoom = 1; // 1..16
    bool grid = false;
    bool flat = false;              // class-coloured squares instead of pictures
    const Region* region = nullptr; // highlighted, or none
};

// Draws the scene over what the destination holds (callers clear it first). Zoom 1, 2 and 4
// draw tile pictures when the pictures for that size are present; otherwise, and for every
// other zoom or a flat scene, each cell is a square in its tile class colour.
void gfx_render_map(SDL_Surface* dst, const MapScene& scene, const MapPictures& pictures);

// Class colour of a tile value for the flat views and the radar; false when none.
bool gfx_tile_class_colour(int tile, uint8_t* red, uint8_t* green, uint8_t* blue);
// The class colours of all 256 tile values as pixels of format (0 where a value has none).
void gfx_tile_class_pixels(const SDL_PixelFormat* format, uint32_t pixel[256], bool has[256]);
// Extra-tiles icon of a special tile value (216..220, 241, 242, 252, 255), or -1.
int gfx_extra_tile_cell(int tile);

// A copy of src shrunk by factor (2 or 4) on each side, every pixel the average of the
// factor x factor pixels it stands for: the tile pictures of zoom 2 and 4. Paletted sources
// give a 32-bit copy, others keep their format. Null when src is null or too small.
SDL_Surface* gfx_scale_surface(SDL_Surface* src, int factor);
