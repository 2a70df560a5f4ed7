// gfx_mapview.cpp - the map view: redraw cache, zoom-1 tile pictures and zoomed-out squares.
#include <SDL/SDL.h>

#include <algorithm>

#include "editor/editor_state.h"
#include "map/mapdata.h"
#include "map/region.h"
#include "map/tilegrid.h"
#include "render/gfx.h"
#include "render/gfx_state.h"
#include "render/mapview.h"

namespace {

constexpr int kTile = 16;
constexpr int kTilesetColumns = 19;
// An object anchored up to this many cells beyond the view's top or left edge can reach into it.
constexpr int kSpriteMargin = 6;

struct SheetLayout {
    int columns, rows;
};
constexpr SheetLayout kSheets[GFX_SPRITE_SHEETS] = {{15, 2}, {10, 3}, {15, 2}, {5, 2}, {4, 6}};

// Extra-tiles cell of a special value, or -1.
int extra_cell(int tile) {
    if (tile >= 216 && tile <= 220) return tile - 216;
    if (tile == 241 || tile == 242) return tile - 236;
    if (tile == 252) return 7;
    if (tile == 255) return 8;
    return -1;
}

void blit_tileset_cell(SDL_Surface* tiles, int tile, SDL_Surface* dst, int x, int y) {
    SDL_Rect cell = {static_cast<Sint16>((tile - 1) % kTilesetColumns * kTile),
                     static_cast<Sint16>((tile - 1) / kTilesetColumns * kTile), kTile, kTile};
    gfx_blit(tiles, &cell, dst, x, y);
}

void blit_sprite_frame(SDL_Surface* sheet, int object, SDL_Surface* dst, int x, int y) {
    const SheetLayout& layout = kSheets[object];
    const int frames = layout.columns * layout.rows;
    const int f = static_cast<int>(g_gfx.anim_counter % static_cast<uint32_t>(frames));
    SDL_Rect frame = {static_cast<Sint16>((f % layout.columns) * sheet->w / layout.columns),
                      static_cast<Sint16>((f / layout.columns) * sheet->h / layout.rows),
                      static_cast<Uint16>(sheet->w / layout.columns),
                      static_cast<Uint16>(sheet->h / layout.rows)};
    gfx_blit(sheet, &frame, dst, x, y);
}

void blit_highlight(SDL_Surface* highlight, SDL_Surface* dst, int x, int y, int size) {
    if (!highlight) return;
    SDL_Rect from = {0, 0, static_cast<Uint16>(size), static_cast<Uint16>(size)};
    SDL_Rect to = {static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
    SDL_BlitSurface(highlight, &from, dst, &to);
}

// Writes one row of squares (tile row j) straight into the buffer; squares that the buffer
// cuts at its right or bottom edge are written in part.
template <typename Pixel, int S>
void put_square_row(SDL_Surface* dst, const MapData* map, int origin_x, int y, int count, int j,
                    const uint32_t* pixel, const bool* has) {
    const int height = std::min(S, dst->h - S * j);
    const int full = std::min(count, dst->w / S);
    const int partial = (count > full && dst->w % S) ? dst->w % S : 0;
    uint8_t* base = static_cast<uint8_t*>(dst->pixels) + S * j * dst->pitch;
    for (int i = 0; i < full + (partial ? 1 : 0); ++i) {
        const int t = mapdata_get_tile(map, origin_x + i, y);
        if (!has[t]) continue;
        const Pixel value = static_cast<Pixel>(pixel[t]);
        const int width = i < full ? S : partial;
        uint8_t* row = base + S * i * static_cast<int>(sizeof(Pixel));
        for (int r = 0; r < height; ++r, row += dst->pitch) {
            Pixel* p = reinterpret_cast<Pixel*>(row);
            if (width == S) {
                for (int c = 0; c < S; ++c)
                    p[c] = value;
            } else {
                for (int c = 0; c < width; ++c)
                    p[c] = value;
            }
        }
    }
}

template <typename Pixel>
void put_squares(SDL_Surface* dst, const MapData* map, int origin_x, int y, int count, int j, int s,
                 const uint32_t* pixel, const bool* has) {
    switch (s) {
    case 4:
        put_square_row<Pixel, 4>(dst, map, origin_x, y, count, j, pixel, has);
        break;
    case 5:
        put_square_row<Pixel, 5>(dst, map, origin_x, y, count, j, pixel, has);
        break;
    case 8:
        put_square_row<Pixel, 8>(dst, map, origin_x, y, count, j, pixel, has);
        break;
    default:
        put_square_row<Pixel, 16>(dst, map, origin_x, y, count, j, pixel, has);
        break;
    }
}

// Pixel values of the tile class colours in dst's format; has[t] false for uncoloured values.
struct ClassPixels {
    uint32_t pixel[256];
    bool has[256];
};

void map_class_pixels(const SDL_Surface* dst, ClassPixels* out) {
    for (int t = 0; t < 256; ++t) {
        uint8_t r, g, b;
        out->has[t] = gfx_tile_class_colour(t, &r, &g, &b);
        out->pixel[t] = out->has[t] ? SDL_MapRGB(dst->format, r, g, b) : 0;
    }
}

} // namespace

bool gfx_tile_class_colour(int tile, uint8_t* red, uint8_t* green, uint8_t* blue) {
    uint8_t r, g, b;
    if ((tile >= 1 && tile <= 161) || (tile >= 216 && tile <= 241) || tile == 250) {
        r = g = b = 90;
    } else if (tile >= 162 && tile <= 169) {
        r = g = b = 173;
    } else if (tile == 171) {
        r = 24, g = 82, b = 24;
    } else if (tile == 172) {
        r = 255, g = 57, b = 8;
    } else {
        return false;
    }
    *red = r;
    *green = g;
    *blue = b;
    return true;
}

void gfx_invalidate_view() {
    g_gfx.view_stale = true;
}

void gfx_set_zoom(int zoom) {
    if (zoom >= 1 && zoom <= 4) g_gfx.zoom = zoom;
}

int gfx_draw_tile(SDL_Surface* dest, MapData* map, int x, int y, int tile) {
    SDL_Surface* dst = dest ? dest : g_gfx.screen;
    if (tile >= 1 && tile <= 190) {
        if (map && dst && gfx_ensure_tileset(map) == 0)
            blit_tileset_cell(map->tileset_surface, tile, dst, x, y);
        return 1;
    }
    const int cell = extra_cell(tile);
    if (cell < 0) return 0;
    if (dst && g_gfx.extra_tiles) {
        SDL_Rect from = {static_cast<Sint16>(cell * kTile), 0, kTile, kTile};
        gfx_blit(g_gfx.extra_tiles, &from, dst, x, y);
    }
    return 1;
}

void gfx_draw_map_tiles(MapData* map, int origin_x, int origin_y, int columns, int rows) {
    SDL_Surface* buffer = g_gfx.map_buffer;
    if (!buffer || !map || gfx_ensure_tileset(map) != 0) return;
    SDL_Surface* tiles = map->tileset_surface;
    const uint32_t grid = SDL_MapRGB(buffer->format, 32, 32, 32);
    const Region* region = map->selected_region;
    SDL_Surface* highlight = gfx_region_highlight(region);
    for (int i = -kSpriteMargin; i < columns; ++i) {
        for (int j = -kSpriteMargin; j < rows; ++j) {
            const int mx = origin_x + i, my = origin_y + j;
            const int px = kTile * i, py = kTile * j;
            const int t = mapdata_get_tile(map, mx, my);
            if (t >= 1 && t <= 190) {
                blit_tileset_cell(tiles, t, buffer, px, py);
            } else if (t >= 216 && t <= 220 && g_gfx.sprites[t - 216]) {
                blit_sprite_frame(g_gfx.sprites[t - 216], t - 216, buffer, px, py);
            } else if (!gfx_draw_tile(buffer, map, px, py, t) && t != TILE_FILLER &&
                       g_editor.grid_shown && mx >= 0 && mx < 1024 && my >= 0 && my < 1024) {
                gfx_fill(buffer, px, py, kTile, 1, grid);
                gfx_fill(buffer, px, py, 1, kTile, grid);
            }
            if (region && region_contains(region, mx, my))
                blit_highlight(highlight, buffer, px, py, kTile);
        }
    }
}

void gfx_draw_map_blocks(MapData* map, int origin_x, int origin_y, int columns, int rows) {
    SDL_Surface* buffer = g_gfx.map_buffer;
    if (!buffer || !map) return;
    const int zoom = g_gfx.zoom;
    const int s = kTile / zoom;
    ClassPixels colours;
    map_class_pixels(buffer, &colours);
    const int bpp = buffer->format->BytesPerPixel;
    const bool direct = !SDL_MUSTLOCK(buffer) && (bpp == 2 || bpp == 4);
    const Region* region = map->selected_region;
    SDL_Surface* highlight = gfx_region_highlight(region);
    const int count = zoom * columns;
    // Squares never overlap, so rows are walked outermost for the sake of the cache.
    for (int j = 0; j < zoom * rows && s * j < buffer->h; ++j) {
        const int y = origin_y + j;
        if (direct && bpp == 2) {
            put_squares<uint16_t>(buffer, map, origin_x, y, count, j, s, colours.pixel,
                                  colours.has);
        } else if (direct) {
            put_squares<uint32_t>(buffer, map, origin_x, y, count, j, s, colours.pixel,
                                  colours.has);
        } else {
            for (int i = 0; i < count && s * i < buffer->w; ++i) {
                const int t = mapdata_get_tile(map, origin_x + i, y);
                if (colours.has[t]) gfx_fill(buffer, s * i, s * j, s, s, colours.pixel[t]);
            }
        }
        if (!region) continue;
        for (int i = 0; i < count && s * i < buffer->w; ++i)
            if (region_contains(region, origin_x + i, y))
                blit_highlight(highlight, buffer, s * i, s * j, s);
    }
}

void gfx_draw_map(MapData* map, int view_offset_x, int view_offset_y, int origin_x, int origin_y,
                  int columns, int rows) {
    if (columns < 1 || rows < 1) {
        columns = g_gfx.video_width / kTile + 2;
        rows = g_gfx.video_height / kTile + 2;
    }
    // The map's revision changes with every edit, undo and redo: that is what redraws the view.
    const uint64_t revision = map ? map->revision : 0;
    if (g_gfx.view_stale || origin_x != g_gfx.view_x || origin_y != g_gfx.view_y ||
        map != g_gfx.view_map || revision != g_gfx.view_revision) {
        g_gfx.view_x = origin_x;
        g_gfx.view_y = origin_y;
        g_gfx.view_map = map;
        g_gfx.view_revision = revision;
        g_gfx.view_stale = false;
        gfx_fill(g_gfx.map_buffer, 0, 0, kTile * columns, kTile * rows, 0);
        if (g_gfx.zoom == 1) {
            gfx_draw_map_tiles(map, origin_x, origin_y, columns, rows);
        } else {
            gfx_draw_map_blocks(map, origin_x, origin_y, columns, rows);
        }
    }
    if (!g_gfx.map_buffer || !g_gfx.screen) return;
    if (g_gfx.zoom == 1) {
        gfx_blit(g_gfx.map_buffer, nullptr, g_gfx.screen, view_offset_x, view_offset_y);
    } else {
        gfx_blit(g_gfx.map_buffer, nullptr, g_gfx.screen, 0, 0);
    }
}
