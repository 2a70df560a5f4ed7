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
// The edits below take cells x, y in 0 to 1023 (others are ignored, result 0) and return 1
// when the cell ends as asked, 0 when the cell's new combination would need a 256th region
// set: the cell is then left as it was and the overlap warning is logged.
// Adds a cell to the region.
int region_add_tile(Region* region, int32_t x, int32_t y);
// Adds the cell, or with present 0 takes it out of this region only (the other regions that
// hold it keep it).
int region_set_tile(Region* region, int32_t x, int32_t y, int present);
int region_toggle_tile(Region* region, int32_t x, int32_t y);
// Adds cells x to x + count - 1 of row y without logging; returns how many the overlap limit
// kept out (also added to the map's region_cells_lost). The caller keeps the run inside the
// map.
int32_t region_add_run(Region* region, int32_t x, int32_t y, int32_t count);
// The same for the rectangle of columns x to x + count - 1 and rows y to y + rows - 1. A
// column of a sub-block that holds one region set moves to the next set in one store, so
// decoding copied rows costs a fraction of a step per cell.
int32_t region_add_block(Region* region, int32_t x, int32_t y, int32_t count, int32_t rows);
// Makes an empty region (no cells, no kept sub-chunks) named name and adds it to the end of
// the map's region order.
Region* mapdata_add_region(MapData* map, const char* name);
// The same region record, not yet part of the map (mapdata_link_region adds it).
Region* mapdata_new_region(MapData* map, const char* name);
// Takes a region out of the map's region order (its cells stay in the grid) and
// returns its place in the order; a selected region is no longer selected.
uint32_t mapdata_unlink_region(MapData* map, Region* region);
// Puts a region back at place index of the order (past the end: last).
void mapdata_link_region(MapData* map, Region* region, uint32_t index);
// Gives the region the owned name text and returns the old one (the caller's to release).
char* region_swap_name(Region* region, char* name);
// The first region of that name, ignoring letter case, in the map's region order.
Region* mapdata_find_region(const MapData* map, const char* name);
const char* region_name(const Region* region);
// Visits every region of the map in file order, new regions last, with or without cells.
void mapdata_for_each_region(MapData* map, void (*visitor)(void* user, Region* region), void* user);
void region_free(Region* region);
// Releases what a region taken out of the map for good holds (name, sub-chunks). The record
// itself stays with the map until it is cleared: set tables may still list its address, and a
// new region at that address must never be taken for it.
void region_retire(Region* region);

// Creates the region grid and the region set table when absent.
void mapdata_init_region_store(MapData* map);
// Takes cell steps from the map's decode budget (MapData::decode_budget) (creating the store when absent); false,
// with the warning logged once per map, when they do not fit.
bool mapdata_take_decode_budget(MapData* map, uint64_t cells);
// True once rTIL decoding of the map ran out of its budget.
bool mapdata_region_data_cut(const MapData* map);
// Region sets in use (slots 1 to the result), 0 without a set table.
int32_t mapdata_region_set_count(const MapData* map);
// The members of set k in order (count in *length), or null for an empty slot.
Region* const* mapdata_region_set(const MapData* map, int32_t k, int32_t* length);

// Releases the region grid, the region set table and every region (part of mapdata_clear).
void mapdata_clear_regions(MapData* map);
