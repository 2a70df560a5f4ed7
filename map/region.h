// region.h - named sets of cells, their shared membership store, and the rTIL run code.
#pragma once
#include <cstdint>
#include <vector>

#include "core/hash.h"

struct MapData;

struct Region {
    MapData* owner;
    char* name;            // the region table entry's key once the region is in the table
    HashTable* subchunks;  // kept sub-chunks of types this module does not handle
    uint32_t mask[8];      // bit k set when region set k lists this region
};

// Reads one "REGN" chunk's data into the map.
void mapdata_read_region(MapData* map, const uint8_t* data, uint32_t length);
int region_handle_subchunk(const char* key, void* chunk, void* region);
int region_decode_tiles(Region* region, const uint8_t* data, int32_t length);

int region_contains(const Region* region, int32_t x, int32_t y);
void region_add_tile(Region* region, int32_t x, int32_t y);
void region_set_tile(Region* region, int32_t x, int32_t y, int present);
void region_toggle_tile(Region* region, int32_t x, int32_t y);
Region* mapdata_find_region(const MapData* map, const char* name);
const char* region_name(const Region* region);
void mapdata_for_each_region(MapData* map, void (*visitor)(void* user, Region* region), void* user);
void region_free(Region* region);

// Releases the region grid, the region set table and every region (part of mapdata_clear).
void mapdata_clear_regions(MapData* map);
// Appends one "REGN" chunk per region (header, data and alignment bytes) to out.
void mapdata_write_regions(MapData* map, std::vector<uint8_t>* out);
