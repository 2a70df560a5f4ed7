// mapdata.h - the record of one open map and its whole-map operations.
#pragma once
#include <cstdint>
#include <memory>

#include "core/hash.h"
#include "core/list.h"
#include "map/model/stamp.h"
#include "map/model/tilegrid.h"

struct Region;
struct RegionSetTable;

// Tile values the map subsystem treats specially.
enum : uint8_t {
    TILE_EMPTY = 0,
    TILE_BORDER = 20, // what a read of the ring just outside the map returns
    TILE_OBJECT_FIRST = 216,
    TILE_OBJECT_LAST = 220,
    TILE_FILLER = 250, // the non-anchor cells of an object's square
    TILE_REGION_BRUSH = 251,
};

struct MapData {
    TileGrid* tiles;
    TileGrid* region_grid;       // region-set index per cell; absent until regions appear
    RegionSetTable* region_sets; // created with region_grid
    HashTable* attributes;       // key -> owned value text
    // The owned regions in file order, regions made in the editor appended at the end: saves
    // write "REGN" chunks in this order, so a map's region sets come back as they were.
    LinkedList region_order;
    LinkedList retired_regions; // records of regions deleted for good (region_retire)
    // Type -> owned chunk copy of a type the reader keeps as is; written back in the order
    // the file had them (the table's order of adding, hash_foreach_added).
    HashTable* kept_chunks;
    StampList stamps;             // the placed objects, oldest first
    uint32_t* stamp_cover;        // owned; per 32 x 32 area of the map, the stamps touching it
    uint8_t* tileset; // owned BMP bytes (render/ decodes them for drawing)
    uint32_t tileset_length;
    // The tileset is the built-in one shown for a file that had none: it is never saved.
    bool tileset_placeholder;
    uint64_t revision;          // bumped by every change to what a save would write
    uint64_t revision_issued; // the highest revision given out: each new state gets a new one
};

// Marks one change to what a save would write.
inline void mapdata_touch(MapData* map) {
    // A revision never given out before, also after undo went back to an older one.
    map->revision_issued =
        (map->revision_issued > map->revision ? map->revision_issued : map->revision) + 1;
    map->revision = map->revision_issued;
}
// An empty record (no grid, no tables, an empty stamp list) for the reader to fill.
MapData* mapdata_new();
void mapdata_free(MapData* map);
// The owner of a map record: frees it when it goes.
struct MapDataFree {
    void operator()(MapData* map) const { mapdata_free(map); }
};
using MapPtr = std::unique_ptr<MapData, MapDataFree>;

// Bounds rule: the one-cell ring outside the map reads 20, further out 0.
inline int32_t mapdata_get_tile(const MapData* map, int32_t x, int32_t y) {
    // One unsigned compare per axis covers -1 to 1024.
    if (static_cast<uint32_t>(x) + 1u > 1025u || static_cast<uint32_t>(y) + 1u > 1025u) return 0;
    if (x == -1 || x == 1024 || y == -1 || y == 1024) return TILE_BORDER;
    if (!map->tiles) return 0;
    return tilegrid_get(map->tiles, x, y);
}
