// mapdata.cpp - making, naming and releasing the record of one open map.
#include "map/model/mapdata.h"
#include "map/model/model_raw.h"

#include <cerrno>
#include <cstring>

#include "core/log.h"
#include "core/mem.h"
#include "map/model/elvl_chunk.h"
#include "map/model/region.h"
#include "map/model/stamp.h"

MapData* mapdata_new() {
    return static_cast<MapData*>(mem_alloc(sizeof(MapData)));
}

void mapdata_clear(MapData* map) {
    if (map->tiles) {
        tilegrid_free(map->tiles);
        map->tiles = nullptr;
    }
    // The region grid, the region set table and every Region.
    mapdata_clear_regions(map);
    if (map->attributes) {
        hash_filter(map->attributes, hash_free_value, nullptr);
        hash_free(map->attributes);
        map->attributes = nullptr;
    }
    if (map->kept_chunks) {
        elvl_free_chunks(map->kept_chunks);
        map->kept_chunks = nullptr;
    }
}

void mapdata_free(MapData* map) {
    if (!map) return;
    mapdata_take_tileset(map, nullptr, 0, false);
    stamp_clear_all(map);
    mapdata_clear(map);
    mem_free(map);
}

void mapdata_take_tileset(MapData* map, uint8_t* bytes, uint32_t length, bool placeholder) {
    mem_free(map->tileset);
    map->tileset = bytes;
    map->tileset_length = bytes ? length : 0;
    map->tileset_placeholder = placeholder;
}
