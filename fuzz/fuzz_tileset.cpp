// fuzz_tileset.cpp - the tileset bitmap of a level file through SDL's BMP decoder, as every
// open does; a decoded surface is read whole so that any short buffer shows.
#include <SDL/SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "fuzz/fuzz_budget.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"

// Where the pixel sum goes, so that the reads are not optimised away.
uint32_t g_pixel_sum;

extern "C" int LLVMFuzzerInitialize(int*, char***) { return fuzz_quiet_log(); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MapData* map = mapdata_new();
    mapdata_load_tileset(map, std::span<const uint8_t>(data, size), fuzz_read_options());
    if (!map->tileset || map->tileset_length % 4 != 0) abort();
    // Only bytes whose header passed the size checks reach the decoder, as when drawing.
    SDL_Surface* s = nullptr;
    if (map->tileset_length <= INT32_MAX && tileset_bmp_fits(map->tileset, map->tileset_length))
        s = SDL_LoadBMP_RW(SDL_RWFromConstMem(map->tileset, static_cast<int>(map->tileset_length)), 1);
    if (s) {
        uint32_t sum = 0;
        const auto* pixels = static_cast<const uint8_t*>(s->pixels);
        for (int32_t y = 0; y < s->h; ++y)
            for (int32_t x = 0; x < s->pitch; ++x)
                sum += pixels[y * s->pitch + x];
        g_pixel_sum = sum;
        if (s->w <= 0 || s->h <= 0) abort();
        SDL_FreeSurface(s);
    }
    mapdata_free(map);
    return 0;
}
