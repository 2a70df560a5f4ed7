// model_raw.h - the raw mutators of the map model: changes that leave no undo record and do not
// move the revision. Only the model itself, the level reader (which builds a map before anyone
// sees it) and the edit library (which records every change it makes) include this; the build
// refuses it anywhere else, so nothing can change an open map behind the change path.
#pragma once
#include <cstdint>

#include "map/model/mapdata.h"
#include "map/model/region.h"
#include "map/model/stamp.h"

// ---- The map record ------------------------------------------------------------------------
// Gives the map the owned tileset bytes (null: none), releasing the old ones. Raw: the
// reader and the change path call it, nothing else.
void mapdata_take_tileset(MapData* map, uint8_t* bytes, uint32_t length, bool placeholder);
void mapdata_clear(MapData* map);

// ---- Attributes ----------------------------------------------------------------------------
// Stores value under key; the table takes the value text (allocated with mem_alloc) and
// releases a value it replaces. Does nothing when map, key or value is missing.
void mapdata_set_attribute(MapData* map, const char* key, char* value);
// Removes the attribute with that key and releases its value; 1 when one was removed.
int mapdata_remove_attribute(MapData* map, const char* key);

// ---- Regions -------------------------------------------------------------------------------
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
// kept out. The caller keeps the run inside the map.
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
void region_free(Region* region);
// Releases what a region taken out of the map for good holds (name, sub-chunks). The record
// itself stays with the map until it is cleared: set tables may still list its address, and a
// new region at that address must never be taken for it.
void region_retire(Region* region);

// Creates the region grid and the region set table when absent.
void mapdata_init_region_store(MapData* map);
// Releases the region grid, the region set table and every region (part of mapdata_clear).
void mapdata_clear_regions(MapData* map);

// ---- Objects -------------------------------------------------------------------------------
// Appends an object; the pointer stays valid until the next stamp is added or dropped.
Stamp* stamp_add(MapData* map, int32_t x, int32_t y, int tile);
void stamp_clear_all(MapData* map);
// Puts a copy of stamp at place index of the list (0 = oldest; past the end = newest).
void stamp_insert(MapData* map, uint32_t index, const Stamp& stamp);
// Drops the stamp at place index of the list (its cells are not written).
void stamp_delete(MapData* map, uint32_t index);
// Asks drop about every stamp, oldest first, and drops those it answers true for, in one
// pass. index is the stamp's place once the dropped ones before it are gone: what
// stamp_delete would take, one drop after another.
void stamp_delete_where(MapData* map, bool (*drop)(const Stamp& stamp, uint32_t index, void* user),
                        void* user);
