// region.cpp - region records, the shared membership store and the region table.
#include "map/region.h"
#include "core/log.h"
#include "core/mem.h"
#include "map/elvl.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// Marks a cached transition whose combination found no free slot.
constexpr uint16_t kNoSet = 256;

} // namespace

// Slot k (1 to count) lists the regions of set k. Every set is the list of its parent set
// followed by one more region, and no two slots hold the same list, so the sets form a tree
// whose edges (parent, last region) name each set exactly once.
struct RegionSetTable {
    int32_t count;
    Region** members[256];
    int32_t length[256];
    uint8_t first_child[256];
    uint8_t next_sibling[256];
    Region* last[256];
    // For one region at a time: the set a cell of set s moves to (0 not yet known).
    const Region* cache_region;
    uint16_t cache[256];
};

void mapdata_init_region_store(MapData* map) {
    if (!map->region_grid) map->region_grid = tilegrid_new();
    if (!map->region_sets)
        map->region_sets = static_cast<RegionSetTable*>(mem_alloc(sizeof(RegionSetTable)));
}

int32_t mapdata_region_set_count(const MapData* map) {
    return map->region_sets ? map->region_sets->count : 0;
}

Region* const* mapdata_region_set(const MapData* map, int32_t k, int32_t* length) {
    const RegionSetTable* sets = map->region_sets;
    if (!sets || k < 1 || k > sets->count) {
        *length = 0;
        return nullptr;
    }
    *length = sets->length[k];
    return sets->members[k];
}

// The set that lists the regions of set s followed by region, made when it does not exist
// yet; kNoSet when it would need a slot past the limit.
static uint16_t find_or_make_set(RegionSetTable* sets, uint8_t s, Region* region) {
    for (uint8_t k = sets->first_child[s]; k != 0; k = sets->next_sibling[k])
        if (sets->last[k] == region) return k;
    if (sets->count >= kRegionSetLimit) return kNoSet;
    auto k = static_cast<uint8_t>(++sets->count);
    int32_t n = sets->length[s] + 1;
    auto** list = static_cast<Region**>(mem_alloc(static_cast<uint32_t>(n * sizeof(Region*))));
    if (s != 0) std::memcpy(list, sets->members[s], (n - 1) * sizeof(Region*));
    list[n - 1] = region;
    sets->members[k] = list;
    sets->length[k] = n;
    sets->last[k] = region;
    sets->next_sibling[k] = sets->first_child[s];
    sets->first_child[s] = k;
    // The invariant: a region's mask has bit k exactly when set k lists it.
    for (int32_t i = 0; i < n; ++i)
        list[i]->mask[k >> 5] |= 1u << (k & 31);
    return k;
}

// Transitions are permanent (slots are never emptied or reused, and a full table stays
// full), so a cached answer is exactly what a fresh search would give.
static void use_cache_for(RegionSetTable* sets, const Region* region) {
    if (sets->cache_region == region) return;
    sets->cache_region = region;
    std::memset(sets->cache, 0, sizeof(sets->cache));
}

static uint16_t next_set(RegionSetTable* sets, uint8_t s, Region* region) {
    uint16_t k = sets->cache[s];
    if (k == 0) k = sets->cache[s] = find_or_make_set(sets, s, region);
    return k;
}

int32_t region_add_run(Region* region, int32_t x, int32_t y, int32_t count) {
    MapData* map = region->owner;
    mapdata_init_region_store(map);
    TileGrid* grid = map->region_grid;
    RegionSetTable* sets = map->region_sets;
    use_cache_for(sets, region);
    int32_t lost = 0;
    // One storage lookup per 8 cells; storage is made only for a cell that gets a set.
    for (int32_t end = x + count; x < end;) {
        int32_t stop = std::min(end, (x & ~7) + 8);
        const TileBlock* block = grid->blocks[tilegrid_block_index(x, y)];
        TileSubBlock* sub = block ? block->sub[tilegrid_sub_index(x, y)] : nullptr;
        for (; x < stop; ++x) {
            uint16_t k = next_set(sets, sub ? sub->cells[tilegrid_cell_index(x, y)] : 0, region);
            if (k == kNoSet) {
                ++lost;
                continue;
            }
            if (!sub) sub = tilegrid_make_sub(grid, x, y);
            sub->cells[tilegrid_cell_index(x, y)] = static_cast<uint8_t>(k);
        }
    }
    return lost;
}

static bool inside_map(int32_t x, int32_t y) {
    return x >= 0 && x < 1024 && y >= 0 && y < 1024;
}

void region_add_tile(Region* region, int32_t x, int32_t y) {
    if (!region || !inside_map(x, y)) return;
    if (region_add_run(region, x, y, 1) != 0)
        log_msg('W', "<mapdata> overlap limit reached. some region data will be lost.");
}

void region_set_tile(Region* region, int32_t x, int32_t y, int present) {
    if (!region || !inside_map(x, y)) return;
    if (present) {
        region_add_tile(region, x, y);
        return;
    }
    mapdata_init_region_store(region->owner);
    tilegrid_put(region->owner->region_grid, x, y, 0);
}

void region_toggle_tile(Region* region, int32_t x, int32_t y) {
    region_set_tile(region, x, y, region_contains(region, x, y) ? 0 : 1);
}

int region_handle_subchunk(const char*, void* chunk, void* user) {
    auto* region = static_cast<Region*>(user);
    const uint8_t* data = elvl_chunk_data(chunk);
    uint32_t length = elvl_chunk_length(chunk);
    if (elvl_chunk_is(chunk, "rNAM")) {
        // The first name counts; a zero byte inside it ends the text there.
        if (!region->name) {
            region->name = static_cast<char*>(mem_alloc(length + 1));
            std::memcpy(region->name, data, length);
        }
    } else if (elvl_chunk_is(chunk, "rTIL")) {
        mapdata_init_region_store(region->owner);
        if (!region_decode_tiles(region, data, static_cast<int32_t>(length)))
            log_msg('W', "<mapdata> error in lvl file while reading rle tile data");
    } else {
        return 0;
    }
    mem_free(chunk);
    return 1;
}

static int find_name_chunk(const char*, void* chunk, void* found) {
    if (elvl_chunk_is(chunk, "rNAM")) *static_cast<bool*>(found) = true;
    return 0;
}

// The region's name becomes the table entry's key text.
static void add_to_map(MapData* map, Region* region, const char* name) {
    if (!map->regions) map->regions = hash_create();
    region->name = hash_add(map->regions, name, region);
    list_append(&map->region_order, region);
}

void mapdata_read_region(MapData* map, const uint8_t* data, uint32_t length) {
    auto* region = static_cast<Region*>(mem_alloc(sizeof(Region)));
    region->owner = map;
    region->subchunks = hash_create();
    // The walk takes a signed length; no chunk comes near the cut.
    auto area = static_cast<int32_t>(length > INT32_MAX ? INT32_MAX : length);
    if (!elvl_read_chunks(region->subchunks, data, area))
        log_msg('W', "<mapdata> error in lvl while reading region chunks");
    // Without a name the region and all its sub-chunks are dropped, rTIL data included.
    bool named = false;
    hash_filter(region->subchunks, find_name_chunk, &named);
    if (!named) {
        region_free(region);
        return;
    }
    hash_filter(region->subchunks, region_handle_subchunk, region);
    char* name = region->name;
    add_to_map(map, region, name);
    mem_free(name);
}

Region* mapdata_add_region(MapData* map, const char* name) {
    if (!map || !name) return nullptr;
    auto* region = static_cast<Region*>(mem_alloc(sizeof(Region)));
    region->owner = map;
    region->subchunks = hash_create();
    add_to_map(map, region, name);
    return region;
}

Region* mapdata_find_region(const MapData* map, const char* name) {
    if (!map || !map->regions || !name) return nullptr;
    return static_cast<Region*>(hash_get(map->regions, name));
}

const char* region_name(const Region* region) {
    return region->name;
}

namespace {
struct RegionVisit {
    void (*visitor)(void* user, Region* region);
    void* user;
};
} // namespace

static int visit_region(const char*, void* region, void* user) {
    auto* visit = static_cast<RegionVisit*>(user);
    visit->visitor(visit->user, static_cast<Region*>(region));
    return 0;
}

void mapdata_for_each_region(MapData* map, void (*visitor)(void* user, Region* region),
                             void* user) {
    // Regions are listed only once some region carried cell data (or was edited).
    if (!map || !map->regions || !map->region_grid || !map->region_sets) return;
    RegionVisit visit{visitor, user};
    hash_filter(map->regions, visit_region, &visit);
}

void region_free(Region* region) {
    if (!region) return;
    // A later record at the same address must not inherit this region's cached moves.
    if (region->owner && region->owner->region_sets &&
        region->owner->region_sets->cache_region == region)
        region->owner->region_sets->cache_region = nullptr;
    if (region->subchunks) {
        hash_filter(region->subchunks, hash_free_value, nullptr);
        hash_free(region->subchunks);
    }
    mem_free(region);
}

static int free_region(const char*, void* region, void*) {
    region_free(static_cast<Region*>(region));
    return 0;
}

void mapdata_clear_regions(MapData* map) {
    if (map->region_grid) {
        tilegrid_free(map->region_grid);
        map->region_grid = nullptr;
    }
    if (map->region_sets) {
        for (Region** list : map->region_sets->members)
            mem_free(list);
        mem_free(map->region_sets);
        map->region_sets = nullptr;
    }
    if (map->regions) {
        hash_filter(map->regions, free_region, nullptr);
        hash_free(map->regions);
        map->regions = nullptr;
    }
    list_clear(&map->region_order);
    // The selected region went with the table.
    map->selected_region = nullptr;
}
