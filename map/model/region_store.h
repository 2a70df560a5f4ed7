// region_store.h - the region set table behind the region grid, for the map modules that
// build, rebuild and exchange it (region.cpp, region_store.cpp, edit_regions.cpp).
#pragma once
#include <cstdint>

#include "map/model/mapdata.h"
#include "map/model/tilegrid.h"

struct Region;

// Slot k (1 to count) lists the regions of set k. Every set is the list of its parent set
// followed by one more region, and no two slots hold the same list, so the sets form a tree
// whose edges (parent, last region) name each set exactly once.
struct RegionSetTable {
    int32_t count;
    Region** members[256];
    int32_t length[256];
    uint8_t first_child[256];
    uint8_t next_sibling[256];
    Region* last[256];
    // For one region at a time: the set a cell of set s moves to (0 not yet known).
    const Region* cache_region;
    uint16_t cache[256];
};

// Marks a transition whose combination found no free slot.
inline constexpr uint16_t kRegionNoSet = 256;

RegionSetTable* region_sets_new();
void region_sets_free(RegionSetTable* sets);
// The set that lists the regions of set s followed by region, made when it does not exist
// yet; kRegionNoSet when it would need a slot past the limit. A new set marks the masks of its
// regions unless mark is false (a table that is not the map's yet).
uint16_t region_sets_child(RegionSetTable* sets, uint8_t s, Region* region, bool mark = true);
// Gives every region of the map (and every region the table lists) the mask bits of the
// map's current set table; needed after the table was exchanged.
void region_sets_refresh_masks(MapData* map);

// A region grid with its set table, as a rebuild makes them.
struct RegionStore {
    TileGrid* grid;
    RegionSetTable* sets;
};
// The map's memberships without region drop (none: all of them) in a new store that holds
// only the sets some cell uses, and the sets they are built from. Never needs more sets than
// the map's table has. The map is not changed; its store must exist.
RegionStore region_store_rebuild(const MapData* map, const Region* drop);
