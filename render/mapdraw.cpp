// mapdraw.cpp - draws map cells onto a given surface: tile pictures (full size or scaled),
// animated object sprites, grid lines and the region highlight, or flat class-coloured squares.
#include "render/mapdraw.h"

#include <SDL/SDL.h>

#include <algorithm>
#include <cstring>

#include "map/model/mapdata.h"
#include "map/model/region.h"
#include "map/model/tilegrid.h"
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

// How each tile value is drawn, worked out once per drawing rather than once per cell.
enum CellKind : uint8_t { CELL_EMPTY, CELL_NOTHING, CELL_PICTURE, CELL_SPRITE };

struct CellPlan {
    CellKind kind[256];
    SDL_Surface* surface[256]; // the picture's surface and its square in it
    int16_t sx[256], sy[256];
    const uint8_t* rows[256]; // the square's first row when it can be copied as bytes, else null
};

void plan_cells(SDL_Surface* dst, const MapPictures& pictures, int level, CellPlan* plan) {
    const int s = kTile >> level;
    for (int t = 0; t < 256; ++t) {
        plan->kind[t] = t == TILE_FILLER ? CELL_NOTHING : CELL_EMPTY;
        plan->surface[t] = nullptr;
        plan->rows[t] = nullptr;
        const int icon = gfx_extra_tile_cell(t);
        if (t >= 216 && t <= 220 && pictures.sprites[level][t - 216]) {
            plan->kind[t] = CELL_SPRITE;
        } else if ((t >= 1 && t <= 190) || icon >= 0) {
            // An icon whose strip is absent still counts as drawn: no grid lines there.
            const bool tile = t <= 190;
            SDL_Surface* src = tile ? pictures.tileset[level] : pictures.extra_tiles[level];
            plan->kind[t] = src ? CELL_PICTURE : CELL_NOTHING;
            plan->surface[t] = src;
            plan->sx[t] = static_cast<int16_t>(tile ? (t - 1) % kTilesetColumns * s : icon * s);
            plan->sy[t] = static_cast<int16_t>(tile ? (t - 1) / kTilesetColumns * s : 0);
            if (src && plain_copy(src, dst) && plan->sx[t] + s <= src->w &&
                plan->sy[t] + s <= src->h)
                plan->rows[t] = static_cast<const uint8_t*>(src->pixels) +
                                plan->sy[t] * src->pitch + plan->sx[t] * src->format->BytesPerPixel;
        }
    }
}

// Pictures: cells are visited column by column, top to bottom, with a margin above and to the
// left for objects that reach into view; later cells draw over earlier ones. A cell that lies
// wholly inside the destination is copied as S rows of Bytes bytes (Bytes 0: never).
template <int Bytes, int S>
void render_pictures(SDL_Surface* dst, const MapScene& scene, const MapPictures& pictures,
                     int level) {
    CellPlan plan;
    plan_cells(dst, pictures, level, &plan);
    const MapData* map = scene.map;
    const uint32_t grid = SDL_MapRGB(dst->format, 32, 32, 32);
    const bool grid_lines = scene.grid && level == 0;
    const Region* region = scene.region;
    const SDL_Rect& clip = dst->clip_rect;
    const bool whole = clip.x == 0 && clip.y == 0 && clip.w == dst->w && clip.h == dst->h;
    const int inside_columns = Bytes && whole ? dst->w / S : 0;
    const int inside_rows = Bytes && whole ? dst->h / S : 0;
    uint8_t* const pixels = static_cast<uint8_t*>(dst->pixels);
    const int pitch = dst->pitch;
    auto draw_cell = [&](int t, int i, int j, int mx, int my) __attribute__((always_inline)) {
        const int px = S * i, py = S * j;
        switch (plan.kind[t]) {
        case CELL_PICTURE:
            if (plan.rows[t] && i >= 0 && j >= 0 && i < inside_columns && j < inside_rows) {
                const uint8_t* from = plan.rows[t];
                uint8_t* to = pixels + py * pitch + px * (Bytes / S);
                const int from_pitch = plan.surface[t]->pitch;
                for (int r = 0; r < S; ++r, from += from_pitch, to += pitch)
                    std::memcpy(to, from, Bytes);
            } else {
                SDL_Rect from = {plan.sx[t], plan.sy[t], S, S};
                gfx_blit(plan.surface[t], &from, dst, px, py);
            }
            break;
        case CELL_SPRITE:
            blit_sprite_frame(pictures.sprites[level][t - 216], t - 216, pictures.anim_counter, dst,
                              px, py);
            break;
        case CELL_EMPTY:
            if (grid_lines && mx >= 0 && mx < 1024 && my >= 0 && my < 1024) {
                gfx_fill(dst, px, py, S, 1, grid);
                gfx_fill(dst, px, py, 1, S, grid);
            }
            break;
        default:
            break;
        }
        if (region && region_contains(region, mx, my))
            blit_highlight(pictures.highlight, dst, px, py, S);
    };
    static const uint8_t kEmpty[8] = {};
    // Zoomed out, columns go in strips of up to eight, each strip row group by row group, so
    // that the rows written stay in the cache; every cell an object covers (right of and below
    // its anchor) is still drawn after the anchor.
    const int strip_width = S < kTile ? 8 : 1;
    for (int i0 = -kSpriteMargin; i0 < scene.columns;) {
        const int strip =
            std::min(strip_width - ((scene.origin_x + i0) & (strip_width - 1)), scene.columns - i0);
        for (int j = -kSpriteMargin; j < scene.rows;) {
            const int my = scene.origin_y + j;
            const int run = std::min(8 - (my & 7), scene.rows - j);
            for (int i = i0; i < i0 + strip; ++i) {
                const int mx = scene.origin_x + i;
                // Eight cells of a column lie in a row of bytes of one sub-block: read them
                // straight from the grid inside the map, through the bounds rule outside it.
                if (map->tiles && mx >= 0 && mx < 1024 && my >= 0 && my + run <= 1024) {
                    const TileBlock* block = map->tiles->blocks[tilegrid_block_index(mx, my)];
                    const TileSubBlock* sub =
                        block ? block->sub[tilegrid_sub_index(mx, my)] : nullptr;
                    const uint8_t* cells = sub ? sub->cells + tilegrid_cell_index(mx, my) : kEmpty;
                    for (int k = 0; k < run; ++k)
                        draw_cell(cells[k], i, j + k, mx, my + k);
                } else {
                    for (int k = 0; k < run; ++k)
                        draw_cell(mapdata_get_tile(map, mx, my + k), i, j + k, mx, my + k);
                }
            }
            j += run;
        }
        i0 += strip;
    }
}

template <int S>
void render_pictures_sized(SDL_Surface* dst, const MapScene& scene, const MapPictures& pictures,
                           int level) {
    const bool direct = !SDL_MUSTLOCK(dst);
    if (direct && dst->format->BytesPerPixel == 2) {
        render_pictures<2 * S, S>(dst, scene, pictures, level);
    } else if (direct && dst->format->BytesPerPixel == 4) {
        render_pictures<4 * S, S>(dst, scene, pictures, level);
    } else {
        render_pictures<0, S>(dst, scene, pictures, level);
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
    gfx_tile_class_pixels(dst->format, pixel, has);
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

void gfx_tile_class_pixels(const SDL_PixelFormat* format, uint32_t pixel[256], bool has[256]) {
    for (int t = 0; t < 256; ++t) {
        uint8_t r = 0, g = 0, b = 0;
        has[t] = gfx_tile_class_colour(t, &r, &g, &b);
        pixel[t] = has[t] ? SDL_MapRGB(const_cast<SDL_PixelFormat*>(format), r, g, b) : 0;
    }
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
        if (level == 0) render_pictures_sized<16>(dst, scene, pictures, level);
        if (level == 1) render_pictures_sized<8>(dst, scene, pictures, level);
        if (level == 2) render_pictures_sized<4>(dst, scene, pictures, level);
    } else {
        render_flat(dst, scene, pictures);
    }
}
