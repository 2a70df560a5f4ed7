// gfx_regions.cpp - region pictures: the highlight in a region's own colour, and the colour
// swatch of the region list.
#include <SDL/SDL.h>

#include <algorithm>

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

// Sets every other pixel (a checkerboard) of the size x size cell at (x, y), clipped.
template <typename Pixel>
void weave_cell(SDL_Surface* dst, int x, int y, int size, uint32_t pixel) {
    const SDL_Rect& c = dst->clip_rect;
    for (int j = std::max(y, int{c.y}); j < std::min(y + size, c.y + c.h); ++j) {
        auto* row = reinterpret_cast<Pixel*>(static_cast<uint8_t*>(dst->pixels) + j * dst->pitch);
        for (int i = std::max(x, int{c.x}); i < std::min(x + size, c.x + c.w); ++i)
            if (((i + j) & 1) == 0) row[i] = static_cast<Pixel>(pixel);
    }
}

} // namespace

void gfx_draw_region_cells(SDL_Surface* dest, const MapData* map, int x, int y, int origin_x,
                           int origin_y, int columns, int rows, int size) {
    SDL_Surface* dst = dest ? dest : g_gfx.screen;
    if (!dst || !map || !map->region_grid || size < 1) return;
    const int bpp = dst->format->BytesPerPixel;
    if ((bpp != 2 && bpp != 4) || SDL_LockSurface(dst) != 0) return;
    // One colour per region set, found when the set is first met.
    uint32_t pixel[256];
    bool known[256] = {};
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) {
            const int mx = origin_x + i, my = origin_y + j;
            if (mx < 0 || my < 0 || mx > 1023 || my > 1023) continue;
            const uint8_t set = tilegrid_get(map->region_grid, mx, my);
            if (set == 0) continue;
            if (!known[set]) {
                int32_t length = 0;
                Region* const* members = mapdata_region_set(map, set, &length);
                uint8_t rgb[3] = {160, 32, 240};
                if (members && length > 0) region_colour(members[0], rgb);
                pixel[set] = SDL_MapRGB(dst->format, rgb[0], rgb[1], rgb[2]);
                known[set] = true;
            }
            if (bpp == 2)
                weave_cell<uint16_t>(dst, x + i * size, y + j * size, size, pixel[set]);
            else
                weave_cell<uint32_t>(dst, x + i * size, y + j * size, size, pixel[set]);
        }
    SDL_UnlockSurface(dst);
}

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
