// attributes.cpp - adding and removing a map's key=value attributes.
#include "map/model/attributes.h"
#include "map/model/model_raw.h"

#include <cstring>

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

void HashTableFree::operator()(HashTable* table) const {
    hash_free(table);
}

AttributeTable attributes_for_save(const MapData& map, const char* program) {
    AttributeTable table(map.attributes ? hash_clone(map.attributes, nullptr, nullptr)
                                        : hash_create());
    if (program) {
        const void* old = hash_get(table.get(), kProgramAttribute);
        if (!old || std::strcmp(static_cast<const char*>(old), program) != 0)
            hash_put(table.get(), kProgramAttribute, const_cast<char*>(program));
    }
    return table;
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
