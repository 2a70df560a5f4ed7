// gfx_tools.cpp - the selection's marching outline and the translucent paste preview.
#include <SDL/SDL.h>

#include <algorithm>
#include <cstring>

#include "map/edit/clipboard.h"
#include "map/model/mapdata.h"
#include "render/gfx.h"
#include "render/gfx_state.h"
#include "render/mapdraw.h"
#include "render/mapview.h"
#include "render/tools_overlay.h"

namespace {

constexpr int kDash = 4;

SDL_Surface* target(SDL_Surface* dest) {
    return dest ? dest : g_gfx.screen;
}

// Locks for direct pixel access when the surface needs it; unlocks when it goes.
struct PixelAccess {
    SDL_Surface* s;
    bool ok;
    explicit PixelAccess(SDL_Surface* surface)
        : s(surface), ok(!SDL_MUSTLOCK(surface) || SDL_LockSurface(surface) == 0) {}
    ~PixelAccess() {
        if (ok && SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
    }
};

void put_pixel(SDL_Surface* s, int x, int y, uint32_t pixel) {
    uint8_t* p = static_cast<uint8_t*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    switch (s->format->BytesPerPixel) {
    case 1:
        *p = static_cast<uint8_t>(pixel);
        break;
    case 2:
        *reinterpret_cast<uint16_t*>(p) = static_cast<uint16_t>(pixel);
        break;
    case 4:
        *reinterpret_cast<uint32_t*>(p) = pixel;
        break;
    default: // 3 bytes, in the surface's byte order
        SDL_Rect r = {static_cast<Sint16>(x), static_cast<Sint16>(y), 1, 1};
        SDL_FillRect(s, &r, pixel);
        break;
    }
}

// One straight dashed run from (x, y), length cells along (dx, dy), clipped to the surface.
void dashed_run(SDL_Surface* s, int x, int y, int length, int dx, int dy, uint32_t phase,
                const uint32_t colours[2]) {
    const SDL_Rect& c = s->clip_rect;
    int from = 0, to = length;
    if (dx) {
        if (y < c.y || y >= c.y + c.h) return;
        from = std::max(from, c.x - x);
        to = std::min(to, c.x + c.w - x);
    } else {
        if (x < c.x || x >= c.x + c.w) return;
        from = std::max(from, c.y - y);
        to = std::min(to, c.y + c.h - y);
    }
    for (int i = from; i < to; ++i)
        put_pixel(s, x + i * dx, y + i * dy,
                  colours[((static_cast<uint32_t>(i + x + y) + phase) / kDash) & 1]);
}

// Half of a pixel's every channel: the low bit of each channel is dropped before the shift
// so that no channel spills into the next.
uint32_t half_mask(const SDL_PixelFormat* f) {
    uint32_t low =
        (f->Rmask & (~f->Rmask + 1)) | (f->Gmask & (~f->Gmask + 1)) | (f->Bmask & (~f->Bmask + 1));
    return (f->Rmask | f->Gmask | f->Bmask) & ~low;
}

// Pixel mask repeated over 64 bits, for blending 8 bytes at a time.
uint64_t wide_mask(uint32_t mask, int bytes_per_pixel) {
    return bytes_per_pixel == 2 ? 0x0001000100010001ull * (mask & 0xFFFF)
                                : 0x0000000100000001ull * mask;
}

// Half and half, 8 bytes (4 or 2 pixels) per step; bytes is a multiple of 8.
void blend_row_wide(uint8_t* __restrict d, const uint8_t* __restrict p, int bytes, uint64_t m) {
    for (int k = 0; k < bytes; k += 8) {
        uint64_t a, b;
        std::memcpy(&a, d + k, 8);
        std::memcpy(&b, p + k, 8);
        a = ((a & m) >> 1) + ((b & m) >> 1);
        std::memcpy(d + k, &a, 8);
    }
}

void darken_row_wide(uint8_t* __restrict d, int bytes, uint64_t m, uint64_t half_flat) {
    for (int k = 0; k < bytes; k += 8) {
        uint64_t a;
        std::memcpy(&a, d + k, 8);
        a = ((a & m) >> 1) + half_flat;
        std::memcpy(d + k, &a, 8);
    }
}

// Blends a size x size square of src (or a flat pixel when flat) half and half into dst at
// (x, y), clipped to dst's clip rectangle.
template <typename Pixel>
void blend_square(SDL_Surface* dst, int x, int y, int size, const SDL_Surface* src, int sx, int sy,
                  bool flat, uint32_t flat_pixel, uint32_t mask) {
    const SDL_Rect& c = dst->clip_rect;
    const int i0 = std::max(0, c.x - x), i1 = std::min(size, c.x + c.w - x);
    const int j0 = std::max(0, c.y - y), j1 = std::min(size, c.y + c.h - y);
    if (i0 >= i1 || j0 >= j1) return;
    const auto m = static_cast<Pixel>(mask);
    const auto half_flat = static_cast<Pixel>((flat_pixel & mask) >> 1);
    // Whole rows of a multiple of 8 bytes go 8 bytes at a time.
    const int row_bytes = (i1 - i0) * static_cast<int>(sizeof(Pixel));
    const bool wide = row_bytes % 8 == 0;
    const uint64_t wm = wide_mask(mask, sizeof(Pixel));
    const uint64_t wflat = wide_mask(half_flat, sizeof(Pixel));
    for (int j = j0; j < j1; ++j) {
        Pixel* d =
            reinterpret_cast<Pixel*>(static_cast<uint8_t*>(dst->pixels) + (y + j) * dst->pitch) + x;
        if (flat) {
            if (wide) {
                darken_row_wide(reinterpret_cast<uint8_t*>(d + i0), row_bytes, wm, wflat);
                continue;
            }
            for (int i = i0; i < i1; ++i)
                d[i] = static_cast<Pixel>(((d[i] & m) >> 1) + half_flat);
        } else {
            const Pixel* p = reinterpret_cast<const Pixel*>(
                                 static_cast<const uint8_t*>(src->pixels) + (sy + j) * src->pitch) +
                             sx;
            if (wide) {
                blend_row_wide(reinterpret_cast<uint8_t*>(d + i0),
                               reinterpret_cast<const uint8_t*>(p + i0), row_bytes, wm);
                continue;
            }
            for (int i = i0; i < i1; ++i)
                d[i] = static_cast<Pixel>(((d[i] & m) >> 1) + ((p[i] & m) >> 1));
        }
    }
}

// Where a tile's 16 x 16 picture comes from, or null.
const SDL_Surface* picture_of(const MapData* map, int t, int* sx, int* sy) {
    if (t >= 1 && t <= 190 && map && gfx_tileset(map)) {
        *sx = (t - 1) % 19 * 16;
        *sy = (t - 1) / 19 * 16;
        return gfx_tileset(map);
    }
    const int cell = gfx_extra_tile_cell(t);
    if (cell < 0 || !g_gfx.extra_tiles) return nullptr;
    *sx = cell * 16;
    *sy = 0;
    return g_gfx.extra_tiles;
}

template <typename Pixel>
void draw_piece(SDL_Surface* dst, MapData* map, const ClipPiece* p, int x, int y, int size,
                bool skip_empty) {
    const uint32_t mask = half_mask(dst->format);
    const SDL_Rect& c = dst->clip_rect;
    // Only the piece's cells that reach into the clip rectangle.
    const int i0 = std::max(0, (c.x - x) / size - 1),
              i1 = std::min(p->width, (c.x + c.w - x) / size + 1);
    const int j0 = std::max(0, (c.y - y) / size - 1),
              j1 = std::min(p->height, (c.y + c.h - y) / size + 1);
    uint32_t class_pixel[256];
    bool has_class[256];
    gfx_tile_class_pixels(dst->format, class_pixel, has_class);
    for (int i = i0; i < i1; ++i)
        for (int j = j0; j < j1; ++j) {
            const int t = p->tiles[static_cast<size_t>(i) * p->height + j];
            if (t == 0 && skip_empty) continue;
            const int px = x + i * size, py = y + j * size;
            int sx = 0, sy = 0;
            const SDL_Surface* src = size == 16 ? picture_of(map, t, &sx, &sy) : nullptr;
            if (src && (src->format->BytesPerPixel != sizeof(Pixel) || SDL_MUSTLOCK(src)))
                src = nullptr;
            if (src)
                blend_square<Pixel>(dst, px, py, size, src, sx, sy, false, 0, mask);
            else
                blend_square<Pixel>(dst, px, py, size, nullptr, 0, 0, true,
                                    size < 16 && has_class[t] ? class_pixel[t] : 0, mask);
        }
}

} // namespace

void gfx_draw_marching_outline(SDL_Surface* dest, int x, int y, int width, int height, bool paste) {
    const uint32_t phase = g_gfx.anim_counter;
    SDL_Surface* s = target(dest);
    if (!s || width < 1 || height < 1) return;
    PixelAccess access(s);
    if (!access.ok) return;
    const uint32_t colours[2] = {paste ? SDL_MapRGB(s->format, 255, 220, 0)
                                       : SDL_MapRGB(s->format, 255, 255, 255),
                                 SDL_MapRGB(s->format, 0, 0, 0)};
    dashed_run(s, x, y, width, 1, 0, phase, colours);
    dashed_run(s, x, y + height - 1, width, 1, 0, phase, colours);
    dashed_run(s, x, y, height, 0, 1, phase, colours);
    dashed_run(s, x + width - 1, y, height, 0, 1, phase, colours);
}

void gfx_draw_piece(SDL_Surface* dest, MapData* map, const ClipPiece* piece, int x, int y, int size,
                    bool skip_empty) {
    SDL_Surface* s = target(dest);
    if (!s || !piece || piece->width <= 0 || size < 1) return;
    if (map && size == 16) gfx_ensure_tileset(map);
    PixelAccess access(s);
    if (!access.ok) return;
    if (s->format->BytesPerPixel == 2)
        draw_piece<uint16_t>(s, map, piece, x, y, size, skip_empty);
    else if (s->format->BytesPerPixel == 4)
        draw_piece<uint32_t>(s, map, piece, x, y, size, skip_empty);
}
