// tileset_picture.cpp - decoding a map's tileset bitmap for drawing, with the built-in one as
// the fallback, so a map always has a picture to draw with.
#include "render/tileset_picture.h"

#include <SDL/SDL.h>

#include <climits>
#include <cstring>

#include "map/lvl/builtin_tileset.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"

SDL_Surface* tileset_picture_decode(const uint8_t* bytes, uint32_t length) {
    // The header is checked first: SDL would make a surface of whatever size it promises.
    if (!bytes || length > INT_MAX || !tileset_bmp_fits(bytes, length)) return nullptr;
    return SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes, static_cast<int>(length)), 1);
}

void tileset_picture_release(TilesetPicture* picture) {
    if (picture->surface) SDL_FreeSurface(picture->surface);
    picture->surface = nullptr;
    picture->bytes.clear();
    picture->format = nullptr;
    picture->map = nullptr;
}

SDL_Surface* tileset_picture_get(TilesetPicture* picture, const MapData* map,
                                 const SDL_PixelFormat* format) {
    if (picture->surface && picture->format == format && map && picture->map == map &&
        picture->revision == map->revision)
        return picture->surface;
    if (map) {
        picture->map = map;
        picture->revision = map->revision;
    }
    const uint8_t* bytes = map ? map->tileset : nullptr;
    uint32_t length = map && bytes ? map->tileset_length : 0;
    if (picture->surface && picture->format == format && picture->bytes.size() == length &&
        (length == 0 || std::memcmp(picture->bytes.data(), bytes, length) == 0))
        return picture->surface;
    if (picture->surface) SDL_FreeSurface(picture->surface);
    picture->surface = nullptr;
    picture->bytes.clear();
    SDL_Surface* surface = tileset_picture_decode(bytes, length);
    if (!surface) {
        uint32_t builtin_length = 0;
        const uint8_t* builtin = builtin_tileset(&builtin_length);
        surface = tileset_picture_decode(builtin, builtin_length);
    }
    if (surface && format) {
        SDL_Surface* converted =
            SDL_ConvertSurface(surface, const_cast<SDL_PixelFormat*>(format), SDL_SWSURFACE);
        if (converted) {
            SDL_FreeSurface(surface);
            surface = converted;
        }
    }
    picture->surface = surface;
    picture->format = format;
    if (length) picture->bytes.assign(bytes, bytes + length);
    return surface;
}
