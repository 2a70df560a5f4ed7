// lvl_pictures.cpp - the pictures ostrel-lvl draws with: the map's tileset (or the built-in
// one), the object sprites and icons from a graphics folder when one is found, all in the
// band's pixel format and, for scales 8 and 4, shrunk as the editor shrinks them for zoom 2 and 4.
#include "cli/lvl_pictures.h"

#include <SDL/SDL.h>

#include "render/tileset_picture.h"

#include <string>

#include "core/platform.h"
#include "map/lvl/builtin_tileset.h"
#include "map/model/mapdata.h"

namespace {

const char* const kSheetFiles[MAPDRAW_SPRITE_SHEETS] = {"graphics/over1.bm2", "graphics/over2.bm2",
                                                        "graphics/over3.bm2", "graphics/over4.bm2",
                                                        "graphics/over5.bm2"};

SDL_Surface* to_format(SDL_Surface* picture, const SDL_PixelFormat* format) {
    if (!picture) return nullptr;
    SDL_Surface* converted =
        SDL_ConvertSurface(picture, const_cast<SDL_PixelFormat*>(format), SDL_SWSURFACE);
    SDL_FreeSurface(picture);
    return converted;
}

// The editor's generated bitmaps: in the working folder's graphics/, else beside the program.
SDL_Surface* load_asset(const char* name, const SDL_PixelFormat* format) {
    return to_format(SDL_LoadBMP(platform_asset_path(name).c_str()), format);
}

SDL_Surface* decode_builtin() {
    uint32_t length = 0;
    const uint8_t* bytes = builtin_tileset(&length);
    return SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes, static_cast<int>(length)), 1);
}

} // namespace

SDL_Surface* lvl_band_surface(int width, int height) {
    // Bytes R, G, B, unused in memory order on a little-endian machine.
    return SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, 0xFF, 0xFF00, 0xFF0000, 0);
}

void lvl_load_pictures(MapPictures* pictures, const MapData* map, const SDL_PixelFormat* format,
                       int level) {
    *pictures = MapPictures{};
    // A tileset SDL cannot decode is drawn with the built-in one, as the editor falls back.
    SDL_Surface* tileset = to_format(tileset_picture_decode(map->tileset, map->tileset_length), format);
    if (!tileset) tileset = to_format(decode_builtin(), format);
    SDL_Surface* icons = load_asset("graphics/extratiles.bmp", format);
    SDL_Surface* sheets[MAPDRAW_SPRITE_SHEETS];
    for (int i = 0; i < MAPDRAW_SPRITE_SHEETS; ++i)
        sheets[i] = load_asset(kSheetFiles[i], format);
    if (level == 0) {
        pictures->tileset[0] = tileset;
        pictures->extra_tiles[0] = icons;
        for (int i = 0; i < MAPDRAW_SPRITE_SHEETS; ++i)
            pictures->sprites[0][i] = sheets[i];
        return;
    }
    const int factor = 1 << level;
    pictures->tileset[level] = gfx_scale_surface(tileset, factor);
    pictures->extra_tiles[level] = gfx_scale_surface(icons, factor);
    for (int i = 0; i < MAPDRAW_SPRITE_SHEETS; ++i) {
        pictures->sprites[level][i] = gfx_scale_surface(sheets[i], factor);
        if (sheets[i]) SDL_FreeSurface(sheets[i]);
    }
    if (tileset) SDL_FreeSurface(tileset);
    if (icons) SDL_FreeSurface(icons);
}

void lvl_free_pictures(MapPictures* pictures) {
    for (int level = 0; level < MAPDRAW_LEVELS; ++level) {
        if (pictures->tileset[level]) SDL_FreeSurface(pictures->tileset[level]);
        if (pictures->extra_tiles[level]) SDL_FreeSurface(pictures->extra_tiles[level]);
        for (SDL_Surface* sheet : pictures->sprites[level])
            if (sheet) SDL_FreeSurface(sheet);
    }
    *pictures = MapPictures{};
}
