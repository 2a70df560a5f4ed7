// gfx_draw.cpp - text from the font sheet, outlines, clears, the colour table and the
// plain-copy blit the map view and panels draw with.
#include <SDL/SDL.h>

#include <algorithm>
#include <cstring>

#include "core/log.h"
#include "render/draw.h"
#include "render/gfx_state.h"

namespace {

struct ColourEntry {
    uint8_t red, green, blue;
};

// Indices 9..16 repeat 0..7 with alpha 128.
constexpr ColourEntry kColours[8] = {
    {153, 153, 153}, {102, 204, 102}, {204, 204, 255}, {255, 51, 0},
    {255, 204, 51},  {153, 102, 255}, {255, 153, 51},  {255, 153, 153},
};

SDL_Surface* destination(GfxState& gfx, SDL_Surface* dest) {
    return dest ? dest : gfx.screen;
}

// The rectangle of dst's clip area that (x, y, width, height) covers; false when empty.
bool clip_to(const SDL_Surface* dst, int& x, int& y, int& width, int& height) {
    const SDL_Rect& clip = dst->clip_rect;
    int left = std::max<int>(x, clip.x);
    int top = std::max<int>(y, clip.y);
    int right = std::min<int>(x + width, clip.x + clip.w);
    int bottom = std::min<int>(y + height, clip.y + clip.h);
    if (right <= left || bottom <= top) return false;
    x = left;
    y = top;
    width = right - left;
    height = bottom - top;
    return true;
}

bool same_format(const SDL_PixelFormat* a, const SDL_PixelFormat* b) {
    return a->BitsPerPixel == b->BitsPerPixel && a->BytesPerPixel == b->BytesPerPixel &&
           a->Rmask == b->Rmask && a->Gmask == b->Gmask && a->Bmask == b->Bmask &&
           a->BitsPerPixel > 8;
}

} // namespace

void gfx_blit(SDL_Surface* src, const SDL_Rect* src_rect, SDL_Surface* dst, int x, int y) {
    if (!src || !dst) return;
    SDL_Rect full = {0, 0, static_cast<Uint16>(src->w), static_cast<Uint16>(src->h)};
    const SDL_Rect& r = src_rect ? *src_rect : full;
    bool plain = !(src->flags & (SDL_SRCALPHA | SDL_SRCCOLORKEY)) && !SDL_MUSTLOCK(src) &&
                 !SDL_MUSTLOCK(dst) && same_format(src->format, dst->format);
    if (!plain) {
        SDL_Rect from = r;
        SDL_Rect to = {static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
        SDL_BlitSurface(src, &from, dst, &to);
        return;
    }
    // Clip the source to its surface, moving the destination along.
    int sx = r.x, sy = r.y, w = r.w, h = r.h;
    if (sx < 0) {
        w += sx;
        x -= sx;
        sx = 0;
    }
    if (sy < 0) {
        h += sy;
        y -= sy;
        sy = 0;
    }
    w = std::min(w, src->w - sx);
    h = std::min(h, src->h - sy);
    if (w <= 0 || h <= 0) return;
    int dx = x, dy = y, dw = w, dh = h;
    if (!clip_to(dst, dx, dy, dw, dh)) return;
    sx += dx - x;
    sy += dy - y;
    const int bpp = dst->format->BytesPerPixel;
    const uint8_t* from = static_cast<const uint8_t*>(src->pixels) + sy * src->pitch + sx * bpp;
    uint8_t* to = static_cast<uint8_t*>(dst->pixels) + dy * dst->pitch + dx * bpp;
    for (int row = 0; row < dh; ++row) {
        std::memcpy(to, from, static_cast<size_t>(dw) * bpp);
        from += src->pitch;
        to += dst->pitch;
    }
}

void gfx_fill(SDL_Surface* dst, int x, int y, int width, int height, uint32_t pixel) {
    if (!dst || width <= 0 || height <= 0) return;
    const int bpp = dst->format->BytesPerPixel;
    // Small fills (grid lines, outlines) are written directly; SDL's call costs more than them.
    if (SDL_MUSTLOCK(dst) || (bpp != 2 && bpp != 4)) {
        SDL_Rect rect = {static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(width),
                         static_cast<Uint16>(height)};
        SDL_FillRect(dst, &rect, pixel);
        return;
    }
    if (!clip_to(dst, x, y, width, height)) return;
    uint8_t* row = static_cast<uint8_t*>(dst->pixels) + y * dst->pitch + x * bpp;
    for (int j = 0; j < height; ++j, row += dst->pitch) {
        if (pixel == 0) {
            std::memset(row, 0, static_cast<size_t>(width) * bpp);
        } else if (bpp == 2) {
            std::fill_n(reinterpret_cast<uint16_t*>(row), width, static_cast<uint16_t>(pixel));
        } else {
            std::fill_n(reinterpret_cast<uint32_t*>(row), width, pixel);
        }
    }
}

uint32_t gfx_map_colour(GfxState& gfx, uint32_t colour) {
    if (!gfx.screen) return 0;
    SDL_PixelFormat* format = gfx.screen->format;
    if (colour < 8) {
        const ColourEntry& c = kColours[colour];
        return SDL_MapRGB(format, c.red, c.green, c.blue);
    }
    if (colour >= 9 && colour <= 16) {
        const ColourEntry& c = kColours[colour - 9];
        return SDL_MapRGBA(format, c.red, c.green, c.blue, 128);
    }
    return SDL_MapRGB(format, 0, 0, 0);
}

void gfx_draw_text(GfxState& gfx, SDL_Surface* dest, int16_t x, int16_t y, const char* text,
                   uint32_t colour) {
    if (!gfx.font || !text || colour == COLOUR_NONE) return;
    SDL_Surface* dst = destination(gfx, dest);
    if (!dst) return;
    const bool translucent = colour > COLOUR_NONE;
    const uint32_t band = translucent ? colour - COLOUR_TRANSLUCENT : colour;
    if (translucent) SDL_SetAlpha(gfx.font, SDL_SRCALPHA, 128);
    int i = 0;
    for (; text[i] != '\0' && i < GFX_TEXT_LIMIT; ++i) {
        unsigned ch = static_cast<unsigned char>(text[i]);
        // Control bytes, DEL and 255 have no glyph of their own.
        if (ch < 32 || ch == 127 || ch == 255) ch = '_';
        const long row = static_cast<long>((ch - 32) / 48) + 2L * band;
        // Rows past the sheet's end draw nothing (the blit would clip them away anyway).
        if (row * 8 >= gfx.font->h) continue;
        SDL_Rect cell = {static_cast<Sint16>((ch - 32) % 48 * 8), static_cast<Sint16>(row * 8), 8,
                         8};
        gfx_blit(gfx.font, &cell, dst, x + 8 * i, y);
    }
    if (translucent) SDL_SetAlpha(gfx.font, 0, 255);
    if (i == GFX_TEXT_LIMIT) log_msg('D', "<gfx> text exceeding 240 characters: %.16s...", text);
}

void gfx_draw_outline(GfxState& gfx, SDL_Surface* dest, int16_t x, int16_t y, uint16_t width,
                      uint16_t height, uint32_t colour) {
    if (colour == COLOUR_NONE) return;
    SDL_Surface* dst = destination(gfx, dest);
    if (!dst) return;
    const uint32_t pixel = gfx_map_colour(gfx, colour);
    gfx_fill(dst, x, y, width, 1, pixel);
    gfx_fill(dst, x + width - 1, y, 1, height, pixel);
    gfx_fill(dst, x, y + height - 1, width, 1, pixel);
    gfx_fill(dst, x, y, 1, height, pixel);
}

void gfx_clear_rect(GfxState& gfx, SDL_Surface* dest, int16_t x, int16_t y, uint16_t width,
                    uint16_t height) {
    SDL_Surface* dst = destination(gfx, dest);
    if (!dst) return;
    gfx_fill(dst, x, y, width, height, 0);
}
