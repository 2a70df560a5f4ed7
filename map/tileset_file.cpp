// tileset_file.cpp - giving a map the tileset of a BMP file, or taking its tileset away.
#include <SDL/SDL.h>

#include <cstdio>
#include <cstring>

#include "core/mem.h"
#include "core/platform.h"
#include "map/level.h"
#include "map/mapdata.h"

namespace {

constexpr int kTilesetWidth = 304;  // 19 tiles of 16 pixels
constexpr int kTilesetHeight = 160; // 10 tiles of 16 pixels
// The elvl block that follows the bitmap is found through a 16-bit offset.
constexpr uint32_t kMaxBitmap = 0xFFFC;

void release_tileset(MapData* map) {
    if (map->tileset_surface) SDL_FreeSurface(map->tileset_surface);
    map->tileset_surface = nullptr;
    mem_free(map->tileset);
    map->tileset = nullptr;
    map->tileset_length = 0;
}

} // namespace

int mapdata_use_tileset_file(MapData* map, const char* path, char* reason, uint32_t size) {
    int error = 0;
    // The size is checked before anything is read: a tileset is far below 64 KiB.
    MappedFile* file = mapped_file_open(path, &error, kMaxBitmap);
    if (!file) {
        std::snprintf(reason, size, "%s", file_error_describe(error, path, kMaxBitmap).c_str());
        return 0;
    }
    SDL_Surface* surface = nullptr;
    uint32_t length = file->length;
    if (length < 14 || file->data[0] != 'B' || file->data[1] != 'M') {
        std::snprintf(reason, size, "not a BMP file");
    } else {
        surface = SDL_LoadBMP_RW(SDL_RWFromConstMem(file->data, static_cast<int>(length)), 1);
        if (!surface) {
            std::snprintf(reason, size, "SDL cannot decode it: %s", SDL_GetError());
        } else if (surface->w != kTilesetWidth || surface->h != kTilesetHeight ||
                   surface->format->BitsPerPixel != 8) {
            std::snprintf(reason, size, "it is %dx%d with %d bits per pixel, not 304x160 with 8",
                          surface->w, surface->h, surface->format->BitsPerPixel);
            SDL_FreeSurface(surface);
            surface = nullptr;
        }
    }
    if (!surface) {
        mapped_file_close(file);
        return 0;
    }
    release_tileset(map);
    // Kept like a tileset read from a level file: raised to a multiple of 4, zero-filled.
    uint32_t kept = (length + 3) & ~3u;
    map->tileset = static_cast<uint8_t*>(mem_alloc(kept));
    std::memcpy(map->tileset, file->data, length);
    map->tileset_length = kept;
    map->tileset_surface = surface;
    map->tileset_placeholder = false;
    mapped_file_close(file);
    mapdata_touch(map);
    return 1;
}

void mapdata_drop_tileset(MapData* map) {
    if (map->tileset_placeholder) return;
    // The built-in tileset shows the map; the save leaves the bitmap out.
    mapdata_load_tileset(map, {}, LevelReadOptions{false, true});
    map->tileset_placeholder = true;
    mapdata_touch(map);
}
