// level.h - reading and writing lvl level files.
#pragma once
#include <cstdint>

struct MapData;

// Results of mapdata_save.
enum MapSaveResult : int {
    MAPDATA_SAVE_OK = 0,
    MAPDATA_SAVE_FAILED = 1,       // nothing written; the old file, if any, is untouched
    MAPDATA_SAVE_NO_METADATA = 2,  // saved, but the tileset is too large to point at an elvl
                                   // block: attributes and regions were not stored
};

int mapdata_read_level(MapData* map, const char* path);
void mapdata_load_tileset(MapData* map, const uint8_t* bytes, uint32_t length);
void mapdata_read_tiles(MapData* map, const uint8_t* records, int32_t count);
// Writes the map atomically (temporary file, then rename).
int mapdata_save(MapData* map, const char* path);

// The tileset copy file written on every load of a file with a bitmap.
inline constexpr const char* kTilesetCopyPath = "./graphics/last-tiles.bmp";
