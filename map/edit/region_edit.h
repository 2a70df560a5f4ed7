// region_edit.h - regions as a map maker works with them: their properties as zone servers
// read them, and create, rename, delete and property changes, each one change of map/edit
// (undoable, moves the revision on).
//
// Properties are the region's sub-chunks, kept in the order the file had them; a change
// replaces the region's whole sub-chunk table with a changed copy, so sub-chunks the editor
// does not know (embedded code and others) stay byte for byte, in their places.
#pragma once
#include <cstdint>

#include "map/edit/edit.h"

struct HashTable;
struct MapData;
struct Region;

// Longest region name; names are unique ignoring letter case among the regions made here.
inline constexpr int kRegionNameMax = 255;
// Longest arena name of an autowarp.
inline constexpr int kRegionArenaMax = 16;

// One autowarp destination ("rAWP"): coordinates and an optional arena ("" for none).
struct RegionWarp {
    int16_t x, y;
    char arena[kRegionArenaMax + 1];
};

// True when the region has a sub-chunk of exactly this type ("rBSE", "rNAW", ...).
bool region_has_subchunk(const Region* region, const char* type);
// The colour of the first "rCOL" with at least 3 data bytes; false when there is none.
bool region_colour(const Region* region, uint8_t rgb[3]);
// Copies up to max autowarps (sub-chunk order) and returns how many the region has.
int region_warps(const Region* region, RegionWarp* out, int max);
// Letters of the region's flags: B base, W autowarp, A no antiwarp, N no weapons, F no flags,
// + other sub-chunks the editor keeps as they are. At most 6 letters and a terminator.
void region_flags(const Region* region, char out[8]);

struct RegionExtent {
    uint32_t cells;
    int32_t left, top, right, bottom; // inclusive; meaningless when cells is 0
};
RegionExtent region_extent(const Region* region);

// Why name cannot name a region (self: the region being renamed, or none), or null when it
// can: empty, longer than kRegionNameMax, or taken by another region ignoring letter case.
const char* region_name_problem(const MapData* map, const Region* self, const char* name);

// A new region without cells at the end of the map's region order.
Region* edit_region_create(MapEdit map, const char* name);
void edit_region_rename(MapEdit map, Region* region, const char* name);
// A new region without cells at place index of the region order (past the end: last).
Region* edit_region_insert(MapEdit map, uint32_t index, const char* name);
// Gives the region the sub-chunk table (owned from then on: chunk copies as elvl reads them).
void edit_region_set_subchunks(MapEdit map, Region* region, HashTable* table);
// Takes the region and its cells out of the map (the cells stay in the other regions).
void edit_region_delete(MapEdit map, Region* region);
// Adds (on) or removes every sub-chunk of type (a flag without data); 1 when it changed.
int edit_region_flag(MapEdit map, Region* region, const char* type, bool on);
// Makes warp the region's only autowarp, in the place of its first one; none removes them all.
int edit_region_autowarp(MapEdit map, Region* region, const RegionWarp* warp);
// Sets the colour (in the place of the first "rCOL"); none removes every "rCOL".
int edit_region_colour(MapEdit map, Region* region, const uint8_t* rgb);
// Rebuilds the membership store with only the region sets in use. 1 when that freed slots
// (the rebuild is then a change of its own), 0 when every slot is in use.
int edit_region_sets_compact(MapEdit map);
