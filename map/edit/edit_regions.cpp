// edit_regions.cpp - region records as changes of map/edit: create, rename, delete, property
// tables and rebuilds of the membership store, each with a payload that swaps in and out.
#include "core/hash.h"
#include "core/mem.h"
#include "map/edit/edit.h"
#include "map/edit/journal.h"
#include "map/model/elvl_chunk.h"
#include "map/model/model_raw.h"
#include "map/model/region.h"
#include "map/edit/region_edit.h"
#include "map/model/region_store.h"

#include <cstring>
#include <vector>

namespace {

// ---- A region joining or leaving the map -----------------------------------------------------

struct LinkPayload {
    Region* region;
    uint32_t index; // its place in the region order while it is out
    bool linked;    // in the map after this payload's last swap
};

void swap_link(MapData* map, void* payload) {
    auto* p = static_cast<LinkPayload*>(payload);
    if (p->linked)
        p->index = mapdata_unlink_region(map, p->region);
    else
        mapdata_link_region(map, p->region, p->index);
    p->linked = !p->linked;
}

// A region that is out of the map when its last change leaves the history is gone for good.
void release_link(MapData*, void* payload) {
    auto* p = static_cast<LinkPayload*>(payload);
    if (!p->linked) region_retire(p->region);
    delete p;
}

size_t link_bytes(const void*) {
    return sizeof(LinkPayload) + sizeof(Region);
}

void forward_link(const MapData*, const void* payload, JournalStep* out) {
    const auto* p = static_cast<const LinkPayload*>(payload);
    if (p->linked)
        journal_put_region_arrival(out, p->region, p->index);
    else
        journal_put_region_departure(out, p->index);
}

constexpr EditCustomOps kLinkOps{swap_link, release_link, link_bytes, forward_link};

// ---- A name ----------------------------------------------------------------------------------

struct NamePayload {
    Region* region;
    char* name; // the name the region does not carry right now
};

void swap_name(MapData*, void* payload) {
    auto* p = static_cast<NamePayload*>(payload);
    p->name = region_swap_name(p->region, p->name);
}

void release_name(MapData*, void* payload) {
    auto* p = static_cast<NamePayload*>(payload);
    mem_free(p->name);
    delete p;
}

size_t name_bytes(const void* payload) {
    return sizeof(NamePayload) + std::strlen(static_cast<const NamePayload*>(payload)->name) + 1;
}

void forward_name(const MapData* map, const void* payload, JournalStep* out) {
    journal_put_region_name(out, map, static_cast<const NamePayload*>(payload)->region);
}

constexpr EditCustomOps kNameOps{swap_name, release_name, name_bytes, forward_name};

// ---- A sub-chunk table -----------------------------------------------------------------------

struct TablePayload {
    Region* region;
    HashTable* table; // the table the region does not hold right now
};

void swap_table(MapData*, void* payload) {
    auto* p = static_cast<TablePayload*>(payload);
    HashTable* held = p->table;
    p->table = p->region->subchunks;
    p->region->subchunks = held;
}

void release_table(MapData*, void* payload) {
    auto* p = static_cast<TablePayload*>(payload);
    elvl_free_chunks(p->table);
    delete p;
}

size_t table_bytes(const void* payload) {
    size_t bytes = sizeof(TablePayload) + sizeof(HashTable);
    const HashTable* table = static_cast<const TablePayload*>(payload)->table;
    for (const HashEntry* e = table ? table->first_added : nullptr; e; e = e->added_next)
        bytes += sizeof(HashEntry) + 16 + elvl_chunk_length(e->value);
    return bytes;
}

void forward_table(const MapData* map, const void* payload, JournalStep* out) {
    journal_put_region_subchunks(out, map, static_cast<const TablePayload*>(payload)->region);
}

constexpr EditCustomOps kTableOps{swap_table, release_table, table_bytes, forward_table};

void* copy_chunk(const void* chunk, void*) {
    uint32_t size = 8 + elvl_chunk_length(chunk);
    void* copy = mem_alloc(size);
    std::memcpy(copy, chunk, size);
    return copy;
}

// A chunk copy of the given type and data.
void* make_chunk(const char* type, const uint8_t* data, uint32_t length) {
    std::vector<uint8_t> bytes;
    elvl_append_chunk(&bytes, type, data, length);
    auto* copy = static_cast<uint8_t*>(mem_alloc(8 + length));
    std::memcpy(copy, bytes.data(), 8 + length);
    return copy;
}

bool same_chunk(const void* a, const void* b) {
    return std::memcmp(a, b, 8 + elvl_chunk_length(a)) == 0;
}

// The region's table with every sub-chunk of type taken out, and chunk (if any) in the place
// of the first of them, or at the end when there was none. Null when that changes nothing.
HashTable* replaced(const Region* region, const char* type, void* chunk) {
    HashTable* table =
        region->subchunks ? hash_clone(region->subchunks, copy_chunk, nullptr) : hash_create();
    bool changed = false, placed = false;
    for (HashEntry* e = table->first_added; e; e = e->added_next) {
        if (!elvl_chunk_is(e->value, type)) continue;
        if (chunk && !placed) {
            changed = changed || !same_chunk(e->value, chunk);
            mem_free(e->value);
            e->value = chunk;
            placed = true;
        } else {
            // Emptied here, taken out below: the walk must not lose its place.
            mem_free(e->value);
            e->value = nullptr;
            changed = true;
        }
    }
    hash_filter(
        table, [](const char*, void* value, void*) { return value ? 0 : 1; }, nullptr);
    if (chunk && !placed) {
        char key[5] = {};
        std::memcpy(key, type, 4);
        hash_add(table, key, chunk);
        changed = true;
    }
    if (!changed) {
        elvl_free_chunks(table);
        return nullptr;
    }
    return table;
}

int change_table(MapEdit map, Region* region, const char* type, void* chunk) {
    HashTable* table = replaced(region, type, chunk);
    if (!table) return 0;
    edit_custom(map, &kTableOps, new TablePayload{region, table});
    return 1;
}

// ---- The membership store --------------------------------------------------------------------

struct StorePayload {
    RegionStore store; // the store the map does not hold right now
};

void swap_store(MapData* map, void* payload) {
    auto* p = static_cast<StorePayload*>(payload);
    RegionStore held = p->store;
    p->store = {map->region_grid, map->region_sets};
    map->region_grid = held.grid;
    map->region_sets = held.sets;
    region_sets_refresh_masks(map);
}

void release_store(MapData*, void* payload) {
    auto* p = static_cast<StorePayload*>(payload);
    tilegrid_free(p->store.grid);
    region_sets_free(p->store.sets);
    delete p;
}

size_t store_bytes(const void* payload) {
    const RegionStore& store = static_cast<const StorePayload*>(payload)->store;
    return sizeof(StorePayload) + tilegrid_storage_bytes(store.grid) + sizeof(RegionSetTable);
}

// A rebuild alone changes no cell's regions; the cells a deleted region takes along, or brings
// back, go with its departure or arrival.
void forward_store(const MapData*, const void*, JournalStep*) {}

constexpr EditCustomOps kStoreOps{swap_store, release_store, store_bytes, forward_store};

char* copy_text(const char* text) {
    size_t length = std::strlen(text);
    auto* copy = static_cast<char*>(mem_alloc(static_cast<uint32_t>(length + 1)));
    std::memcpy(copy, text, length);
    return copy;
}

} // namespace

Region* edit_region_create(MapEdit map, const char* name) {
    if (!map || !name) return nullptr;
    Region* region = mapdata_new_region(map, name);
    edit_custom(map, &kLinkOps, new LinkPayload{region, list_count(&map->region_order), false});
    return region;
}

Region* edit_region_insert(MapEdit map, uint32_t index, const char* name) {
    if (!map || !name) return nullptr;
    Region* region = mapdata_new_region(map, name);
    edit_custom(map, &kLinkOps, new LinkPayload{region, index, false});
    return region;
}

void edit_region_set_subchunks(MapEdit map, Region* region, HashTable* table) {
    if (!map || !region || !table) return;
    edit_custom(map, &kTableOps, new TablePayload{region, table});
}

void edit_region_rename(MapEdit map, Region* region, const char* name) {
    if (!map || !region || !name || std::strcmp(region->name, name) == 0) return;
    edit_custom(map, &kNameOps, new NamePayload{region, copy_text(name)});
}

void edit_region_delete(MapEdit map, Region* region) {
    if (!map || !region) return;
    edit_begin(map, "delete region");
    // The cells first: the region's sets are rebuilt without it, so they stay usable.
    bool listed = false;
    for (uint32_t word : region->mask)
        listed = listed || word != 0;
    if (listed && map->region_grid && map->region_sets)
        edit_custom(map, &kStoreOps, new StorePayload{region_store_rebuild(map, region)});
    edit_custom(map, &kLinkOps, new LinkPayload{region, 0, true});
    edit_end(map);
}

int edit_region_flag(MapEdit map, Region* region, const char* type, bool on) {
    if (!map || !region || !type) return 0;
    // A flag that is there stays as it is, data and place.
    if (on && region_has_subchunk(region, type)) return 0;
    return change_table(map, region, type, on ? make_chunk(type, nullptr, 0) : nullptr);
}

int edit_region_autowarp(MapEdit map, Region* region, const RegionWarp* warp) {
    if (!map || !region) return 0;
    void* chunk = nullptr;
    if (warp) {
        uint8_t data[4 + kRegionArenaMax] = {};
        auto x = static_cast<uint16_t>(warp->x), y = static_cast<uint16_t>(warp->y);
        data[0] = static_cast<uint8_t>(x), data[1] = static_cast<uint8_t>(x >> 8);
        data[2] = static_cast<uint8_t>(y), data[3] = static_cast<uint8_t>(y >> 8);
        size_t arena = strnlen(warp->arena, kRegionArenaMax);
        std::memcpy(data + 4, warp->arena, arena);
        // Without an arena the destination is the two coordinates alone.
        chunk = make_chunk("rAWP", data, arena ? 4 + kRegionArenaMax : 4);
    }
    return change_table(map, region, "rAWP", chunk);
}

int edit_region_colour(MapEdit map, Region* region, const uint8_t* rgb) {
    if (!map || !region) return 0;
    void* chunk = nullptr;
    if (rgb) {
        const uint8_t data[4] = {rgb[0], rgb[1], rgb[2], 0};
        chunk = make_chunk("rCOL", data, 4);
    }
    return change_table(map, region, "rCOL", chunk);
}

int edit_region_sets_compact(MapEdit map) {
    if (!map || !map->region_grid || !map->region_sets) return 0;
    RegionStore store = region_store_rebuild(map, nullptr);
    if (store.sets->count >= map->region_sets->count) {
        tilegrid_free(store.grid);
        region_sets_free(store.sets);
        return 0;
    }
    edit_custom(map, &kStoreOps, new StorePayload{store});
    return 1;
}
