// gfx_state.h - the rendering subsystem's program-wide state, shared by the render files
// (and read by their tests); other subsystems use the operations of the public headers.
#pragma once
#include <cstdint>
#include <vector>

#include "render/tileset_picture.h"

struct SDL_Surface;
struct SDL_Rect;
struct MapData;

constexpr int GFX_SPRITE_SHEETS = 5;

struct GfxState {
    SDL_Surface* screen = nullptr;
    SDL_Surface* map_buffer = nullptr; // (video width + 16) x (video height + 16), display format
    int32_t video_width = 640;
    int32_t video_height = 480;
    int32_t video_depth = 16;
    bool video_size_set = false;
    SDL_Surface* font = nullptr;
    SDL_Surface* sprites[GFX_SPRITE_SHEETS] = {}; // tiles 216..220
    SDL_Surface* highlight = nullptr;             // region highlight, alpha 128
    SDL_Surface* tinted_highlight = nullptr;      // the highlight in a region's own colour
    uint32_t tinted_colour = 0;                   // 0x1RRGGBB of tinted_highlight
    SDL_Surface* extra_tiles = nullptr;           // 144 x 16 icon strip
    // The pictures shrunk to a half and a quarter, for zoom 2 and 4.
    SDL_Surface* sprites_small[2][GFX_SPRITE_SHEETS] = {};
    SDL_Surface* extra_tiles_small[2] = {};
    SDL_Surface* tileset_small[2] = {};
    // The bytes and layout of the tileset the small tilesets were made from: rebuilt when a
    // map brings another picture (a surface's address alone may be reused).
    std::vector<uint8_t> tileset_source;
    int32_t tileset_source_w = 0, tileset_source_h = 0, tileset_source_bpp = 0;
    TilesetPicture tileset; // the drawn map's tileset, decoded from its bytes
    SDL_Surface* radar = nullptr;
    const MapData* radar_map = nullptr; // identity of the map the radar was built for
    uint64_t radar_revision = 0;        // and the revision it showed
    const MapData* view_map = nullptr;  // the map and revision last drawn into the map buffer
    uint64_t view_revision = 0;
    int32_t view_x = 0; // view origin last drawn into the map buffer
    int32_t view_y = 0;
    int32_t view_zoom = 1; // and the zoom and grid it was drawn with (a cache key)
    bool view_grid = true;
    bool view_stale = true;
    uint32_t fps_window_end = 0;
    uint32_t frames_counted = 0;
    uint32_t frames_shown = 0;
    bool frame_rate_shown = false; // the labelled figure at the top edge
    uint32_t anim_counter = 0;
    uint32_t anim_last_tick = 0;
};

extern GfxState g_gfx;

// Copies src_rect of src to (x, y) on dst, clipped like SDL's blit; plain row copies when
// both surfaces share a pixel format and src has no alpha or colour key, SDL otherwise.
void gfx_blit(SDL_Surface* src, const SDL_Rect* src_rect, SDL_Surface* dst, int x, int y);
// Fills a rectangle clipped to dst's clip rectangle.
void gfx_fill(SDL_Surface* dst, int x, int y, int width, int height, uint32_t pixel);
