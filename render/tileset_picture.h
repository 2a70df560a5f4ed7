// tileset_picture.h - the picture of a map's tileset: its bitmap bytes decoded for drawing, once
// per distinct bitmap, with the built-in tileset for bytes that cannot be decoded.
#pragma once
#include <cstdint>
#include <vector>

struct SDL_Surface;
struct SDL_PixelFormat;
struct MapData;

struct TilesetPicture {
    std::vector<uint8_t> bytes;              // the bitmap the surface was decoded from
    const SDL_PixelFormat* format = nullptr; // the format asked for (null: as decoded)
    SDL_Surface* surface = nullptr;          // owned
    const MapData* map = nullptr; // the map and revision last asked for: the bytes are compared
    uint64_t revision = 0;        // only when either moved
};

// The map's tileset as a surface in format (null: the bitmap's own), decoded again only when
// the map's bitmap bytes differ from the last ones. Null only when nothing could be decoded.
SDL_Surface* tileset_picture_get(TilesetPicture* picture, const MapData* map,
                                 const SDL_PixelFormat* format);
// Decodes bitmap bytes whose header passed the size checks; null otherwise. The caller owns it.
SDL_Surface* tileset_picture_decode(const uint8_t* bytes, uint32_t length);
void tileset_picture_release(TilesetPicture* picture);
