// mapdraw.cpp - draws map cells onto a given surface: tile pictures (full size or scaled),
// animated object sprites, grid lines and the region highlight, or flat class-coloured squares.
#include "render/mapdraw.h"

#include <SDL/SDL.h>

#include <algorithm>
#include <cstring>

#include "map/mapdata.h"
#include "map/region.h"
#include "map/tilegrid.h"
#include "render/gfx_state.h"

namespace {

constexpr int kTile = 16;
constexpr int kTilesetColumns = 19;
// An object anchored up to this many cells beyond the view's top or left edge can reach into it.
constexpr int kSpriteMargin = 6;

struct SheetLayout {
    int columns, rows;
};
constexpr SheetLayout kSheets[MAPDRAW_SPRITE_SHEETS] = {{15, 2}, {10, 3}, {15, 2}, {5, 2}, {4, 6}};

int level_of(int zoom) {
    if (zoom == 1) return 0;
    if (zoom == 2) return 1;
    if (zoom == 4) return 2;
    return -1;
}

bool plain_copy(const SDL_Surface* src, const SDL_Surface* dst) {
    const SDL_PixelFormat* a = src->format;
    const SDL_PixelFormat* b = dst->format;
    return !(src->flags & (SDL_SRCALPHA | SDL_SRCCOLORKEY)) && !SDL_MUSTLOCK(src) &&
           !SDL_MUSTLOCK(dst) && a->BitsPerPixel == b->BitsPerPixel && a->BitsPerPixel > 8 &&
           a->Rmask == b->Rmask && a->Gmask == b->Gmask && a->Bmask == b->Bmask;
}

// Copies one square cell picture row by row; the size is fixed so each row is a few moves.
template <int Bytes, int Rows>
void copy_cell(const uint8_t* from, int from_pitch, uint8_t* to, int to_pitch) {
    for (int r = 0; r < Rows; ++r, from += from_pitch, to += to_pitch)
        std::memcpy(to, from, Bytes);
}
using CopyCell = void (*)(const uint8_t*, int, uint8_t*, int);

template <int Bpp> CopyCell copier_for(int s) {
    switch (s) {
    case 4:
        return copy_cell<4 * Bpp, 4>;
    case 8:
        return copy_cell<8 * Bpp, 8>;
    default:
        return copy_cell<16 * Bpp, 16>;
    }
}

// Draws square pictures of one size into dst: a straight row copy when the cell lies inside
// the clip area and the formats agree, SDL's blit otherwise (edges, alpha, other formats).
struct CellPainter {
    SDL_Surface* dst;
    int s;
    CopyCell copy = nullptr;

    void put(SDL_Surface* src, int sx, int sy, int x, int y) const {
        if (!src) return;
        const SDL_Rect& clip = dst->clip_rect;
        if (copy && x >= clip.x && y >= clip.y && x + s <= clip.x + clip.w &&
            y + s <= clip.y + clip.h && sx + s <= src->w && sy + s <= src->h &&
            plain_copy(src, dst)) {
            const int bpp = dst->format->BytesPerPixel;
            copy(static_cast<const uint8_t*>(src->pixels) + sy * src->pitch + sx * bpp, src->pitch,
                 static_cast<uint8_t*>(dst->pixels) + y * dst->pitch + x * bpp, dst->pitch);
            return;
        }
        SDL_Rect from = {static_cast<Sint16>(sx), static_cast<Sint16>(sy), static_cast<Uint16>(s),
                         static_cast<Uint16>(s)};
        gfx_blit(src, &from, dst, x, y);
    }
};

CellPainter make_painter(SDL_Surface* dst, int s) {
    CellPainter painter{dst, s};
    if (dst->format->BytesPerPixel == 2) painter.copy = copier_for<2>(s);
    if (dst->format->BytesPerPixel == 4) painter.copy = copier_for<4>(s);
    return painter;
}

void blit_sprite_frame(SDL_Surface* sheet, int object, uint32_t anim, SDL_Surface* dst, int x,
                       int y) {
    const SheetLayout& layout = kSheets[object];
    const int frames = layout.columns * layout.rows;
    const int f = static_cast<int>(anim % static_cast<uint32_t>(frames));
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

// Pictures: cells are visited column by column, top to bottom, with a margin above and to the
// left for objects that reach into view; later cells draw over earlier ones.
void render_pictures(SDL_Surface* dst, const MapScene& scene, const MapPictures& pictures,
                     int level) {
    const MapData* map = scene.map;
    const int s = kTile >> level;
    SDL_Surface* tiles = pictures.tileset[level];
    SDL_Surface* icons = pictures.extra_tiles[level];
    const CellPainter painter = make_painter(dst, s);
    const uint32_t grid = SDL_MapRGB(dst->format, 32, 32, 32);
    const bool grid_lines = scene.grid && level == 0;
    const Region* region = scene.region;
    for (int i = -kSpriteMargin; i < scene.columns; ++i) {
        for (int j = -kSpriteMargin; j < scene.rows; ++j) {
            const int mx = scene.origin_x + i, my = scene.origin_y + j;
            const int px = s * i, py = s * j;
            const int t = mapdata_get_tile(map, mx, my);
            const int icon = gfx_extra_tile_cell(t);
            if (t >= 1 && t <= 190) {
                painter.put(tiles, (t - 1) % kTilesetColumns * s, (t - 1) / kTilesetColumns * s, px,
                            py);
            } else if (t >= 216 && t <= 220 && pictures.sprites[level][t - 216]) {
                blit_sprite_frame(pictures.sprites[level][t - 216], t - 216, pictures.anim_counter,
                                  dst, px, py);
            } else if (icon >= 0) {
                painter.put(icons, icon * s, 0, px, py);
            } else if (t != TILE_FILLER && grid_lines && mx >= 0 && mx < 1024 && my >= 0 &&
                       my < 1024) {
                gfx_fill(dst, px, py, s, 1, grid);
                gfx_fill(dst, px, py, 1, s, grid);
            }
            if (region && region_contains(region, mx, my))
                blit_highlight(pictures.highlight, dst, px, py, s);
        }
    }
}

// Writes one row of squares (cell row j) straight into the surface; squares that the surface
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
bool put_squares(SDL_Surface* dst, const MapData* map, int origin_x, int y, int count, int j, int s,
                 const uint32_t* pixel, const bool* has) {
    switch (s) {
    case 1:
        put_square_row<Pixel, 1>(dst, map, origin_x, y, count, j, pixel, has);
        return true;
    case 4:
        put_square_row<Pixel, 4>(dst, map, origin_x, y, count, j, pixel, has);
        return true;
    case 5:
        put_square_row<Pixel, 5>(dst, map, origin_x, y, count, j, pixel, has);
        return true;
    case 8:
        put_square_row<Pixel, 8>(dst, map, origin_x, y, count, j, pixel, has);
        return true;
    case 16:
        put_square_row<Pixel, 16>(dst, map, origin_x, y, count, j, pixel, has);
        return true;
    default:
        return false;
    }
}

// Flat squares: rows are walked outermost for the sake of the cache; squares never overlap.
void render_flat(SDL_Surface* dst, const MapScene& scene, const MapPictures& pictures) {
    const MapData* map = scene.map;
    const int s = std::max(1, kTile / scene.zoom);
    uint32_t pixel[256];
    bool has[256];
    for (int t = 0; t < 256; ++t) {
        uint8_t r, g, b;
        has[t] = gfx_tile_class_colour(t, &r, &g, &b);
        pixel[t] = has[t] ? SDL_MapRGB(dst->format, r, g, b) : 0;
    }
    const int bpp = dst->format->BytesPerPixel;
    const bool direct = !SDL_MUSTLOCK(dst) && (bpp == 2 || bpp == 4);
    const Region* region = scene.region;
    for (int j = 0; j < scene.rows && s * j < dst->h; ++j) {
        const int y = scene.origin_y + j;
        bool done = false;
        if (direct && bpp == 2) {
            done =
                put_squares<uint16_t>(dst, map, scene.origin_x, y, scene.columns, j, s, pixel, has);
        } else if (direct) {
            done =
                put_squares<uint32_t>(dst, map, scene.origin_x, y, scene.columns, j, s, pixel, has);
        }
        for (int i = 0; !done && i < scene.columns && s * i < dst->w; ++i) {
            const int t = mapdata_get_tile(map, scene.origin_x + i, y);
            if (has[t]) gfx_fill(dst, s * i, s * j, s, s, pixel[t]);
        }
        if (!region) continue;
        for (int i = 0; i < scene.columns && s * i < dst->w; ++i)
            if (region_contains(region, scene.origin_x + i, y))
                blit_highlight(pictures.highlight, dst, s * i, s * j, s);
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

int gfx_extra_tile_cell(int tile) {
    if (tile >= 216 && tile <= 220) return tile - 216;
    if (tile == 241 || tile == 242) return tile - 236;
    if (tile == 252) return 7;
    if (tile == 255) return 8;
    return -1;
}

void gfx_render_map(SDL_Surface* dst, const MapScene& scene, const MapPictures& pictures) {
    if (!dst || !scene.map || scene.zoom < 1 || scene.zoom > kTile) return;
    const int level = level_of(scene.zoom);
    if (level >= 0 && !scene.flat && pictures.tileset[level]) {
        render_pictures(dst, scene, pictures, level);
    } else {
        render_flat(dst, scene, pictures);
    }
}
