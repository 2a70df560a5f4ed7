// mapdata.h - the record of one open map and its whole-map operations.
#pragma once
#include <cstdint>

#include "core/hash.h"
#include "core/list.h"
#include "map/tilegrid.h"

struct SDL_Surface;
struct Region;
struct RegionSetTable;

// Tile values the map subsystem treats specially.
enum : uint8_t {
    TILE_EMPTY = 0,
    TILE_BORDER = 20,      // what a read of the ring just outside the map returns
    TILE_OBJECT_FIRST = 216,
    TILE_OBJECT_LAST = 220,
    TILE_FILLER = 250,     // the non-anchor cells of an object's square
    TILE_REGION_BRUSH = 251,
};

struct MapData {
    TileGrid* tiles;
    TileGrid* region_grid;        // region-set index per cell; absent until regions appear
    RegionSetTable* region_sets;  // created with region_grid
    HashTable* attributes;        // key -> owned value text
    HashTable* regions;           // name -> owned Region
    HashTable* kept_chunks;       // type -> owned chunk copy of a type the reader keeps as is
    uint32_t error_count;         // tile records rejected while reading
    char name[32];
    LinkedList stamps;            // owned Stamp records, oldest first
    Region* selected_region;      // not owned
    SDL_Surface* tileset_surface; // owned, may be absent
    uint8_t* tileset;             // owned BMP bytes
    uint32_t tileset_length;
};

// Reads a level file; the default map when it cannot be read; none only for a null path.
MapData* mapdata_load(const char* path);
// Bounds rule: the one-cell ring outside the map reads 20, further out 0.
int32_t mapdata_get_tile(const MapData* map, int32_t x, int32_t y);
void mapdata_clear(MapData* map);
void mapdata_free(MapData* map);
