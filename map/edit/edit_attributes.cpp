// edit_attributes.cpp - attribute changes as edits: each swaps in a changed copy of the table.
#include "map/edit/edit.h"
#include "map/edit/journal.h"

#include <cstring>

#include "core/hash.h"
#include "core/mem.h"
#include "map/model/mapdata.h"

// A whole table is exchanged, never patched: the table's visiting order is the order of the
// attribute chunks in a saved file, and adding or removing entries may regroup the buckets.
// Swapping the table back restores that order exactly, so an undone map saves byte for byte
// as before.
namespace {

struct AttributePayload {
    HashTable* table; // the table the map does not hold right now (null: none)
};

char* copy_text(const char* text) {
    size_t length = std::strlen(text);
    auto* copy = static_cast<char*>(mem_alloc(static_cast<uint32_t>(length + 1)));
    std::memcpy(copy, text, length);
    return copy;
}

void* copy_value(const void* value, void*) {
    return copy_text(static_cast<const char*>(value));
}

void free_table(HashTable* table) {
    if (!table) return;
    hash_filter(table, hash_free_value, nullptr);
    hash_free(table);
}

void swap_table(MapData* map, void* payload) {
    auto* p = static_cast<AttributePayload*>(payload);
    HashTable* held = p->table;
    p->table = map->attributes;
    map->attributes = held;
}

void release_table(MapData*, void* payload) {
    auto* p = static_cast<AttributePayload*>(payload);
    free_table(p->table);
    delete p;
}

size_t table_bytes(const void* payload) {
    const HashTable* table = static_cast<const AttributePayload*>(payload)->table;
    if (!table) return sizeof(AttributePayload);
    size_t bytes = sizeof(AttributePayload) + sizeof(HashTable) +
                   (static_cast<size_t>(table->mask) + 1) * sizeof(HashEntry*);
    for (int32_t i = 0; i <= table->mask; ++i)
        for (HashEntry* e = table->buckets[i]; e; e = e->next)
            bytes += sizeof(HashEntry) + std::strlen(hash_entry_key(e)) + 1 +
                     std::strlen(static_cast<const char*>(e->value)) + 1;
    return bytes;
}

void forward_table(const MapData* map, const void*, JournalStep* out) {
    journal_put_attributes(out, map->attributes);
}

constexpr EditCustomOps kAttributeOps{swap_table, release_table, table_bytes, forward_table};

HashTable* copy_of_attributes(const MapData* map) {
    return map->attributes ? hash_clone(map->attributes, copy_value, nullptr) : hash_create();
}

} // namespace

void edit_set_attribute(MapEdit map, const char* key, const char* value) {
    if (!map || !key || !value) return;
    HashTable* table = copy_of_attributes(map);
    void* old = hash_get(table, key);
    hash_put(table, key, copy_text(value));
    mem_free(old);
    edit_custom(map, &kAttributeOps, new AttributePayload{table});
}

int edit_remove_attribute(MapEdit map, const char* key) {
    if (!map || !map->attributes || !key || !hash_get(map->attributes, key)) return 0;
    HashTable* table = copy_of_attributes(map);
    void* value = hash_get(table, key);
    hash_remove(table, key, value);
    mem_free(value);
    edit_custom(map, &kAttributeOps, new AttributePayload{table});
    return 1;
}

void edit_replace_attributes(MapEdit map, HashTable* table) {
    if (!map || !table) return;
    edit_custom(map, &kAttributeOps, new AttributePayload{table});
}
