// gfx_mapview.cpp - the window's map view: the redraw cache over the map buffer, the zoom and
// grid switches, and the brush picture; the drawing itself is render/mapdraw.
#include <SDL/SDL.h>

#include <cstring>

#include "map/model/mapdata.h"
#include "render/gfx.h"
#include "render/gfx_state.h"
#include "render/mapdraw.h"
#include "render/mapview.h"

namespace {

constexpr int kTile = 16;
constexpr int kTilesetColumns = 19;

// Remakes the half and quarter tilesets when the tileset's picture is not the one they were
// made from; comparing the bytes costs a few microseconds per redraw.
void refresh_small_tilesets(GfxState& gfx, const SDL_Surface* tiles) {
    const size_t bytes = static_cast<size_t>(tiles->h) * tiles->pitch;
    const uint8_t* pixels = static_cast<const uint8_t*>(tiles->pixels);
    if (gfx.tileset_small[0] && tiles->w == gfx.tileset_source_w &&
        tiles->h == gfx.tileset_source_h && tiles->format->BitsPerPixel == gfx.tileset_source_bpp &&
        gfx.tileset_source.size() == bytes &&
        std::memcmp(gfx.tileset_source.data(), pixels, bytes) == 0)
        return;
    for (int k = 0; k < 2; ++k) {
        if (gfx.tileset_small[k]) SDL_FreeSurface(gfx.tileset_small[k]);
        gfx.tileset_small[k] = gfx_scale_surface(const_cast<SDL_Surface*>(tiles), 2 << k);
    }
    gfx.tileset_source.assign(pixels, pixels + bytes);
    gfx.tileset_source_w = tiles->w;
    gfx.tileset_source_h = tiles->h;
    gfx.tileset_source_bpp = tiles->format->BitsPerPixel;
}

// The pictures of the window's bitmaps and the map's tileset, for the map buffer's format.
MapPictures window_pictures(GfxState& gfx, MapData* map, int zoom, const Region* selected) {
    MapPictures pictures;
    pictures.tileset[0] = gfx_tileset(gfx, map);
    for (int i = 0; i < GFX_SPRITE_SHEETS; ++i)
        pictures.sprites[0][i] = gfx.sprites[i];
    pictures.extra_tiles[0] = gfx.extra_tiles;
    if (zoom > 1 && gfx_tileset(gfx, map) && !SDL_MUSTLOCK(gfx_tileset(gfx, map))) {
        refresh_small_tilesets(gfx, gfx_tileset(gfx, map));
        for (int k = 0; k < 2; ++k) {
            pictures.tileset[k + 1] = gfx.tileset_small[k];
            pictures.extra_tiles[k + 1] = gfx.extra_tiles_small[k];
            for (int i = 0; i < GFX_SPRITE_SHEETS; ++i)
                pictures.sprites[k + 1][i] = gfx.sprites_small[k][i];
        }
    }
    // The selected region shows in its own colour when it has one.
    pictures.highlight = gfx_region_highlight(gfx, selected);
    pictures.anim_counter = gfx.anim_counter;
    return pictures;
}

} // namespace

void gfx_invalidate_view(GfxState& gfx) {
    gfx.view_stale = true;
}

int gfx_draw_tile(GfxState& gfx, SDL_Surface* dest, MapData* map, int x, int y, int tile) {
    SDL_Surface* dst = dest ? dest : gfx.screen;
    if (tile >= 1 && tile <= 190) {
        if (map && dst && gfx_ensure_tileset(gfx, map) == 0) {
            SDL_Rect cell = {static_cast<Sint16>((tile - 1) % kTilesetColumns * kTile),
                             static_cast<Sint16>((tile - 1) / kTilesetColumns * kTile), kTile,
                             kTile};
            gfx_blit(gfx_tileset(gfx, map), &cell, dst, x, y);
        }
        return 1;
    }
    const int cell = gfx_extra_tile_cell(tile);
    if (cell < 0) return 0;
    if (dst && gfx.extra_tiles) {
        SDL_Rect from = {static_cast<Sint16>(cell * kTile), 0, kTile, kTile};
        gfx_blit(gfx.extra_tiles, &from, dst, x, y);
    }
    return 1;
}

void gfx_draw_map(GfxState& gfx, MapData* map, const MapViewFrame& frame) {
    const int origin_x = frame.origin_x, origin_y = frame.origin_y;
    const int zoom = frame.zoom >= 1 && frame.zoom <= 4 ? frame.zoom : 1;
    int columns = frame.columns, rows = frame.rows;
    if (columns < 1 || rows < 1) {
        columns = gfx.video_width / kTile + 2;
        rows = gfx.video_height / kTile + 2;
    }
    // The map's revision changes with every edit, undo and redo: that is what redraws the view.
    const uint64_t revision = map ? map->revision : 0;
    if (gfx.view_stale || origin_x != gfx.view_x || origin_y != gfx.view_y || map != gfx.view_map ||
        revision != gfx.view_revision || zoom != gfx.view_zoom || frame.grid != gfx.view_grid) {
        gfx.view_x = origin_x;
        gfx.view_y = origin_y;
        gfx.view_map = map;
        gfx.view_revision = revision;
        gfx.view_zoom = zoom;
        gfx.view_grid = frame.grid;
        gfx.view_stale = false;
        gfx_fill(gfx.map_buffer, 0, 0, kTile * columns, kTile * rows, 0);
        // Tile pictures need the tileset; without one the buffer stays black.
        if (map && gfx.map_buffer && gfx_ensure_tileset(gfx, map) == 0) {
            MapScene scene;
            scene.map = map;
            scene.origin_x = origin_x;
            scene.origin_y = origin_y;
            scene.columns = zoom * columns;
            scene.rows = zoom * rows;
            scene.zoom = zoom;
            scene.grid = frame.grid;
            scene.region = frame.selected_region;
            gfx_render_map(gfx.map_buffer, scene, window_pictures(gfx, map, zoom, frame.selected_region));
        }
    }
    if (!gfx.map_buffer || !gfx.screen) return;
    if (zoom == 1) {
        gfx_blit(gfx.map_buffer, nullptr, gfx.screen, frame.offset_x, frame.offset_y);
    } else {
        gfx_blit(gfx.map_buffer, nullptr, gfx.screen, 0, 0);
    }
}
