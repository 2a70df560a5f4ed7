// mapdata.cpp - placeholder until the map record lands.
#include "map/mapdata.h"
#include "core/mem.h"

#include <cstring>

MapData* mapdata_load(const char* path) {
    if (!path) return nullptr;
    auto* map = static_cast<MapData*>(mem_alloc(sizeof(MapData)));
    std::strcpy(map->name, "<default>");
    return map;
}

void mapdata_free(MapData* map) { mem_free(map); }
