// region.cpp - placeholder until regions land.
#include "map/region.h"
#include "map/mapdata.h"

void mapdata_read_region(MapData*, const uint8_t*, uint32_t) {}
int region_contains(const Region*, int32_t, int32_t) { return 0; }
void region_toggle_tile(Region*, int32_t, int32_t) {}
Region* mapdata_find_region(const MapData*, const char*) { return nullptr; }
const char* region_name(const Region* region) { return region->name; }
void mapdata_for_each_region(MapData*, void (*)(void*, Region*), void*) {}
void mapdata_clear_regions(MapData*) {}
void mapdata_write_regions(MapData*, std::vector<uint8_t>*) {}
