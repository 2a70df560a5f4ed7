// gfx_scale.cpp - box-filtered shrinking of pictures, for the tile pictures of zoom 2 and 4.
#include <SDL/SDL.h>

#include <cstdint>
#include <cstring>

#include "render/mapdraw.h"

namespace {

uint32_t read_pixel(const SDL_Surface* s, int x, int y) {
    const int bpp = s->format->BytesPerPixel;
    const uint8_t* p = static_cast<const uint8_t*>(s->pixels) + y * s->pitch + x * bpp;
    switch (bpp) {
    case 1:
        return *p;
    case 2:
        return *reinterpret_cast<const uint16_t*>(p);
    case 3:
        return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
               (static_cast<uint32_t>(p[2]) << 16);
    default:
        return *reinterpret_cast<const uint32_t*>(p);
    }
}

void write_pixel(SDL_Surface* s, int x, int y, uint32_t value) {
    const int bpp = s->format->BytesPerPixel;
    uint8_t* p = static_cast<uint8_t*>(s->pixels) + y * s->pitch + x * bpp;
    if (bpp == 2) {
        *reinterpret_cast<uint16_t*>(p) = static_cast<uint16_t>(value);
    } else if (bpp == 4) {
        *reinterpret_cast<uint32_t*>(p) = value;
    } else if (bpp == 3) {
        p[0] = static_cast<uint8_t>(value);
        p[1] = static_cast<uint8_t>(value >> 8);
        p[2] = static_cast<uint8_t>(value >> 16);
    }
}

} // namespace

SDL_Surface* gfx_scale_surface(SDL_Surface* src, int factor) {
    if (!src || factor < 1 || src->w < factor || src->h < factor) return nullptr;
    const SDL_PixelFormat* f = src->format;
    const int w = src->w / factor, h = src->h / factor;
    SDL_Surface* out =
        f->BitsPerPixel > 8
            ? SDL_CreateRGBSurface(0, w, h, f->BitsPerPixel, f->Rmask, f->Gmask, f->Bmask, 0)
            : SDL_CreateRGBSurface(0, w, h, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
    if (!out) return nullptr;
    if (SDL_MUSTLOCK(src) && SDL_LockSurface(src) != 0) {
        SDL_FreeSurface(out);
        return nullptr;
    }
    const int area = factor * factor;
    // A true-colour picture is averaged in its own channel widths (5-6-5 on a 16-bit screen):
    // SDL builds widen such channels to 8 bits differently, and averages of widened values
    // would come back to the screen depth differently too.
    const bool native = f->BitsPerPixel > 8;
    const uint32_t masks[3] = {f->Rmask, f->Gmask, f->Bmask};
    const uint8_t shifts[3] = {f->Rshift, f->Gshift, f->Bshift};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint32_t sum[3] = {0, 0, 0};
            for (int j = 0; j < factor; ++j) {
                for (int i = 0; i < factor; ++i) {
                    uint32_t pixel = read_pixel(src, x * factor + i, y * factor + j);
                    uint8_t rgb[3];
                    if (!native) SDL_GetRGB(pixel, src->format, &rgb[0], &rgb[1], &rgb[2]);
                    for (int c = 0; c < 3; ++c)
                        sum[c] += native ? (pixel & masks[c]) >> shifts[c] : rgb[c];
                }
            }
            // Rounded averages, so a flat area keeps its exact colour.
            uint32_t mean[3];
            for (int c = 0; c < 3; ++c)
                mean[c] = (sum[c] + area / 2) / area;
            write_pixel(out, x, y,
                        native ? (mean[0] << shifts[0]) | (mean[1] << shifts[1]) | (mean[2] << shifts[2])
                               : SDL_MapRGB(out->format, static_cast<uint8_t>(mean[0]),
                                            static_cast<uint8_t>(mean[1]),
                                            static_cast<uint8_t>(mean[2])));
        }
    }
    if (SDL_MUSTLOCK(src)) SDL_UnlockSurface(src);
    return out;
}
