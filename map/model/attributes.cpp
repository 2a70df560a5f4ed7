// attributes.cpp - adding and removing a map's key=value attributes.
#include "map/model/attributes.h"

#include "core/hash.h"
#include "core/mem.h"
#include "map/model/mapdata.h"

void mapdata_set_attribute(MapData* map, const char* key, char* value) {
    if (!map || !key || !value) return;
    if (!map->attributes) map->attributes = hash_create();
    // The replaced value belongs to the table, so it is released here, not leaked.
    void* old = hash_get(map->attributes, key);
    hash_put(map->attributes, key, value);
    if (old && old != value) mem_free(old);
    mapdata_touch(map);
}

int mapdata_remove_attribute(MapData* map, const char* key) {
    if (!map || !map->attributes || !key) return 0;
    void* value = hash_get(map->attributes, key);
    if (!value) return 0;
    hash_remove(map->attributes, key, value);
    mem_free(value);
    mapdata_touch(map);
    return 1;
}
