// gfx_panels.cpp - the radar overview (cached per map) and the tile palette.
#include <SDL/SDL.h>

#include "map/model/mapdata.h"
#include "map/model/tilegrid.h"
#include "render/draw.h"
#include "render/gfx.h"
#include "render/gfx_state.h"
#include "render/mapdraw.h"
#include "render/mapview.h"
#include "render/panels.h"

namespace {

constexpr int kRadarSize = 256;
constexpr int kBlock = 1024 / kRadarSize; // tiles per radar pixel, each way

// The colour of one radar pixel: the last coloured tile of its block in row-major order,
// found by scanning the block backwards.
template <typename Pixel>
void build_radar(SDL_Surface* radar, const TileGrid* tiles, const uint32_t* pixel,
                 const bool* has) {
    for (int ry = 0; ry < kRadarSize; ++ry) {
        Pixel* row =
            reinterpret_cast<Pixel*>(static_cast<uint8_t*>(radar->pixels) + ry * radar->pitch);
        for (int rx = 0; rx < kRadarSize; ++rx) {
            const int x0 = rx * kBlock, y0 = ry * kBlock;
            const TileBlock* block = tiles->blocks[(x0 >> 5) * 32 + (y0 >> 5)];
            // An absent 32 x 32 block covers eight empty radar pixels of this row.
            if (!block) {
                rx |= 7;
                continue;
            }
            // A radar pixel's 4 x 4 tiles always lie in one 8 x 8 sub-block.
            const TileSubBlock* sub = block->sub[((x0 >> 3) & 3) * 4 + ((y0 >> 3) & 3)];
            if (!sub) continue;
            const uint8_t* cells = sub->cells + (x0 & 7) * 8 + (y0 & 7);
            for (int k = kBlock * kBlock - 1; k >= 0; --k) {
                const int t = cells[(k % kBlock) * 8 + k / kBlock];
                if (has[t]) {
                    row[rx] = static_cast<Pixel>(pixel[t]);
                    break;
                }
            }
        }
    }
}

} // namespace

void gfx_invalidate_radar() {
    g_gfx.radar_map = nullptr;
}

void gfx_draw_radar(MapData* map, int x, int y, int origin_x, int origin_y, int zoom) {
    if (!g_gfx.screen) return;
    // Rebuilt for another map, and when the map's revision moved (an edit, undo or redo).
    if (!g_gfx.radar || g_gfx.radar_map != map || (map && g_gfx.radar_revision != map->revision)) {
        if (g_gfx.radar) SDL_FreeSurface(g_gfx.radar);
        g_gfx.radar = gfx_convert_surface(gfx_create_surface(kRadarSize, kRadarSize, 16));
        g_gfx.radar_map = nullptr;
        SDL_Surface* radar = g_gfx.radar;
        if (radar && map) {
            SDL_FillRect(radar, nullptr, 0);
            uint32_t pixel[256];
            bool has[256];
            gfx_tile_class_pixels(radar->format, pixel, has);
            const int bpp = radar->format->BytesPerPixel;
            // Pixels are written into the locked picture: one fill call per tile costs far more.
            if (map->tiles && (bpp == 2 || bpp == 4) && SDL_LockSurface(radar) == 0) {
                if (bpp == 2) {
                    build_radar<uint16_t>(radar, map->tiles, pixel, has);
                } else {
                    build_radar<uint32_t>(radar, map->tiles, pixel, has);
                }
                SDL_UnlockSurface(radar);
            } else if (map->tiles) {
                for (int ty = 0; ty < 1024; ++ty)
                    for (int tx = 0; tx < 1024; ++tx) {
                        const int t = mapdata_get_tile(map, tx, ty);
                        if (has[t]) gfx_fill(radar, tx / kBlock, ty / kBlock, 1, 1, pixel[t]);
                    }
            }
            g_gfx.radar_map = map;
            g_gfx.radar_revision = map->revision;
        }
    }
    if (g_gfx.radar) gfx_blit(g_gfx.radar, nullptr, g_gfx.screen, x, y);
    gfx_draw_outline(nullptr, static_cast<int16_t>(x), static_cast<int16_t>(y), kRadarSize,
                     kRadarSize, COLOUR_GREY);
    // Arithmetic shifts: a view origin left of or above the map floors toward minus infinity.
    const int width = ((g_gfx.video_width >> 6) + 1) * zoom;
    const int height = ((g_gfx.video_height >> 6) + 1) * zoom;
    gfx_draw_outline(nullptr, static_cast<int16_t>(x + (origin_x >> 2)),
                     static_cast<int16_t>(y + (origin_y >> 2)), static_cast<uint16_t>(width),
                     static_cast<uint16_t>(height), COLOUR_YELLOW);
}

void gfx_draw_palette(MapData* map, int x, int y) {
    if (!map || gfx_ensure_tileset(map) != 0) return;
    gfx_clear_rect(nullptr, static_cast<int16_t>(x), static_cast<int16_t>(y), 312, 188);
    gfx_draw_outline(nullptr, static_cast<int16_t>(x), static_cast<int16_t>(y), 312, 188,
                     COLOUR_GREY);
    if (!g_gfx.screen) return;
    // Without the icon strip the swatch takes the place the 144-pixel strip would leave.
    const int strip_width = g_gfx.extra_tiles ? g_gfx.extra_tiles->w : 144;
    if (g_gfx.extra_tiles) gfx_blit(g_gfx.extra_tiles, nullptr, g_gfx.screen, x + 4, y + 4);
    if (g_gfx.highlight)
        gfx_blit(g_gfx.highlight, nullptr, g_gfx.screen, x + 4 + strip_width, y + 4);
    gfx_blit(gfx_tileset(map), nullptr, g_gfx.screen, x + 4, y + 24);
}
