// gfx_regions.cpp - region pictures: the highlight in a region's own colour, and the colour
// swatch of the region list.
#include <SDL/SDL.h>

#include "map/model/region.h"
#include "map/edit/region_edit.h"
#include "render/gfx.h"
#include "render/gfx_state.h"
#include "render/mapview.h"

namespace {

// The weave of the default highlight, in the region's colour: the base colour with every
// fourth diagonal halfway to white.
SDL_Surface* make_tinted(const uint8_t rgb[3]) {
    SDL_Surface* surface = gfx_convert_surface(gfx_create_surface(16, 16, g_gfx.video_depth));
    if (!surface) return nullptr;
    const uint32_t base = SDL_MapRGB(surface->format, rgb[0], rgb[1], rgb[2]);
    const uint32_t light = SDL_MapRGB(surface->format, static_cast<uint8_t>((rgb[0] + 255) / 2),
                                      static_cast<uint8_t>((rgb[1] + 255) / 2),
                                      static_cast<uint8_t>((rgb[2] + 255) / 2));
    gfx_fill(surface, 0, 0, 16, 16, base);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if ((x + y) % 4 == 0) gfx_fill(surface, x, y, 1, 1, light);
    SDL_SetAlpha(surface, SDL_SRCALPHA, 128);
    return surface;
}

} // namespace

SDL_Surface* gfx_region_highlight(const Region* region) {
    uint8_t rgb[3];
    if (!region || !region_colour(region, rgb)) return g_gfx.highlight;
    uint32_t key = 0x1000000u | uint32_t{rgb[0]} << 16 | uint32_t{rgb[1]} << 8 | rgb[2];
    // One tinted picture is kept, for the colour drawn last.
    if (!g_gfx.tinted_highlight || g_gfx.tinted_colour != key) {
        if (g_gfx.tinted_highlight) SDL_FreeSurface(g_gfx.tinted_highlight);
        g_gfx.tinted_highlight = make_tinted(rgb);
        g_gfx.tinted_colour = key;
    }
    return g_gfx.tinted_highlight;
}

void gfx_draw_swatch(SDL_Surface* dest, int x, int y, int size, const uint8_t* rgb) {
    SDL_Surface* dst = dest ? dest : g_gfx.screen;
    if (!dst) return;
    if (rgb) {
        gfx_fill(dst, x, y, size, size, SDL_MapRGB(dst->format, rgb[0], rgb[1], rgb[2]));
        return;
    }
    // No colour: an empty grey frame.
    const uint32_t grey = SDL_MapRGB(dst->format, 110, 110, 110);
    gfx_fill(dst, x, y, size, 1, grey);
    gfx_fill(dst, x, y + size - 1, size, 1, grey);
    gfx_fill(dst, x, y, 1, size, grey);
    gfx_fill(dst, x + size - 1, y, 1, size, grey);
}
