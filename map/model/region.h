// region.h - named sets of cells, their shared membership store, and the rTIL run code.
#pragma once
#include <cstdint>
#include <vector>

#include "core/hash.h"
#include "map/model/mapdata.h"
#include "map/model/tilegrid.h"

struct Region {
    MapData* owner;
    char* name;           // owned
    HashTable* subchunks; // kept sub-chunks of types this module does not handle; null for none
    uint32_t mask[8];     // bit k set when region set k lists this region
};

// Region sets per map besides the empty set 0; a cell whose combination would need one more
// is left as it was.
inline constexpr int32_t kRegionSetLimit = 255;

// Cell steps the rTIL decoding of one map may take (a cell added, or a cell of a row read
// for copying, counts one): any file opens in bounded time, and every file the format allows
// decodes in full. The most it allows is 255 regions that each fill the map, each with up to
// 1,023 row copies, so twice their cells; past that, region cells are not read, one warning
// says so and the read counts it as a loss.
inline constexpr uint64_t kRegionDecodeBudget = uint64_t{2} * 255 * 1024 * 1024;


// One grid read and one bit test; coordinates wrap modulo 1024 like every grid read.
inline int region_contains(const Region* region, int32_t x, int32_t y) {
    if (!region || !region->owner->region_grid) return 0;
    uint8_t set = tilegrid_get(region->owner->region_grid, x, y);
    return static_cast<int>((region->mask[set >> 5] >> (set & 31)) & 1u);
}
// The first region of that name, ignoring letter case, in the map's region order.
Region* mapdata_find_region(const MapData* map, const char* name);
const char* region_name(const Region* region);
// Visits every region of the map in file order, new regions last, with or without cells.
void mapdata_for_each_region(MapData* map, void (*visitor)(void* user, Region* region), void* user);
// Region sets in use (slots 1 to the result), 0 without a set table.
int32_t mapdata_region_set_count(const MapData* map);
// The members of set k in order (count in *length), or null for an empty slot.
Region* const* mapdata_region_set(const MapData* map, int32_t k, int32_t* length);

