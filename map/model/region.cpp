// region.cpp - region records, the shared membership store and the map's region order.
#include "map/model/model_raw.h"
#include "map/model/region.h"
#include "core/log.h"
#include "core/mem.h"
#include "map/model/elvl_chunk.h"
#include "map/model/region_store.h"

#include <algorithm>
#include <climits>
#include <cstring>

RegionSetTable* region_sets_new() {
    return static_cast<RegionSetTable*>(mem_alloc(sizeof(RegionSetTable)));
}

void region_sets_free(RegionSetTable* sets) {
    if (!sets) return;
    for (Region** list : sets->members)
        mem_free(list);
    mem_free(sets);
}

void mapdata_init_region_store(MapData* map) {
    if (!map->region_grid) map->region_grid = tilegrid_new();
    if (!map->region_sets) map->region_sets = region_sets_new();
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

uint16_t region_sets_child(RegionSetTable* sets, uint8_t s, Region* region, bool mark) {
    for (uint8_t k = sets->first_child[s]; k != 0; k = sets->next_sibling[k])
        if (sets->last[k] == region) return k;
    if (sets->count >= kRegionSetLimit) return kRegionNoSet;
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
    for (int32_t i = 0; i < n && mark; ++i)
        list[i]->mask[k >> 5] |= 1u << (k & 31);
    return k;
}

void region_sets_refresh_masks(MapData* map) {
    const RegionSetTable* sets = map->region_sets;
    for (const ListNode* node = map->region_order.head; node; node = node->next)
        std::memset(static_cast<Region*>(node->data)->mask, 0, sizeof(Region::mask));
    if (!sets) return;
    for (int32_t k = 1; k <= sets->count; ++k)
        for (int32_t i = 0; i < sets->length[k]; ++i)
            std::memset(sets->members[k][i]->mask, 0, sizeof(Region::mask));
    for (int32_t k = 1; k <= sets->count; ++k)
        for (int32_t i = 0; i < sets->length[k]; ++i)
            sets->members[k][i]->mask[k >> 5] |= 1u << (k & 31);
}

// Transitions are permanent within one table (its slots are never emptied, and a full table
// stays full), so a cached answer is exactly what a fresh search would give. A rebuilt table
// starts with an empty cache of its own.
static void use_cache_for(RegionSetTable* sets, const Region* region) {
    if (sets->cache_region == region) return;
    sets->cache_region = region;
    std::memset(sets->cache, 0, sizeof(sets->cache));
}

static uint16_t next_set(RegionSetTable* sets, uint8_t s, Region* region) {
    uint16_t k = sets->cache[s];
    if (k == 0) k = sets->cache[s] = region_sets_child(sets, s, region);
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
            if (k == kRegionNoSet) {
                ++lost;
                continue;
            }
            if (!sub) sub = tilegrid_make_sub(grid, x, y);
            sub->cells[tilegrid_cell_index(x, y)] = static_cast<uint8_t>(k);
        }
    }
    return lost;
}

int32_t region_add_block(Region* region, int32_t x0, int32_t y0, int32_t count, int32_t rows) {
    constexpr uint64_t kEveryByte = 0x0101010101010101ull;
    MapData* map = region->owner;
    mapdata_init_region_store(map);
    TileGrid* grid = map->region_grid;
    RegionSetTable* sets = map->region_sets;
    use_cache_for(sets, region);
    int32_t lost = 0;
    const int32_t x_end = x0 + count, y_end = y0 + rows;
    // Band by band of 8 rows; within a sub-block the band's cells of one column are adjacent.
    for (int32_t top = y0; top < y_end; top = (top & ~7) + 8) {
        const int32_t span = std::min(y_end, (top & ~7) + 8) - top;
        for (int32_t x = x0; x < x_end;) {
            const int32_t stop = std::min(x_end, (x & ~7) + 8);
            const TileBlock* block = grid->blocks[tilegrid_block_index(x, top)];
            TileSubBlock* sub = block ? block->sub[tilegrid_sub_index(x, top)] : nullptr;
            if (!sub && next_set(sets, 0, region) == kRegionNoSet) {
                lost += (stop - x) * span;
                x = stop;
                continue;
            }
            if (!sub) sub = tilegrid_make_sub(grid, x, top);
            for (; x < stop; ++x) {
                uint8_t* column = sub->cells + tilegrid_cell_index(x, top);
                bool uniform = true;
                if (span == 8) {
                    // A whole column as one word: equal bytes when it matches its low byte spread.
                    uint64_t cells;
                    std::memcpy(&cells, column, 8);
                    uniform = cells == (cells & 0xFF) * kEveryByte;
                } else {
                    for (int32_t i = 1; i < span; ++i)
                        uniform = uniform && column[i] == column[0];
                }
                if (uniform) {
                    uint16_t k = next_set(sets, column[0], region);
                    if (k == kRegionNoSet) {
                        lost += span;
                    } else if (span == 8) {
                        uint64_t cells = k * kEveryByte;
                        std::memcpy(column, &cells, 8);
                    } else {
                        std::memset(column, k, static_cast<size_t>(span));
                    }
                    continue;
                }
                for (int32_t i = 0; i < span; ++i) {
                    uint16_t k = next_set(sets, column[i], region);
                    if (k == kRegionNoSet)
                        ++lost;
                    else
                        column[i] = static_cast<uint8_t>(k);
                }
            }
        }
    }
    return lost;
}

static bool inside_map(int32_t x, int32_t y) {
    return x >= 0 && x < 1024 && y >= 0 && y < 1024;
}

int region_add_tile(Region* region, int32_t x, int32_t y) {
    if (!region || !inside_map(x, y)) return 0;
    if (region_add_run(region, x, y, 1) != 0) {
        log_msg('W', "<mapdata> overlap limit reached. some region data will be lost.");
        return 0;
    }
    mapdata_touch(region->owner);
    return 1;
}

// The set listing the regions of set s without region, in their order; the sets it passes
// through are made as needed (every set's list minus its last region is a set too). -1 when
// that would need more sets than the limit allows; then nothing is made.
static int32_t set_without(RegionSetTable* sets, uint8_t s, const Region* region) {
    Region* const* list = sets->members[s];
    int32_t length = s == 0 ? 0 : sets->length[s];
    int32_t k = 0, missing = 0;
    // First count the sets to be made, walking the existing ones only.
    for (int32_t i = 0; i < length; ++i) {
        if (list[i] == region) continue;
        int32_t child = 0;
        if (missing == 0)
            for (uint8_t c = sets->first_child[k]; c != 0; c = sets->next_sibling[c])
                if (sets->last[c] == list[i]) child = c;
        if (child != 0)
            k = child;
        else
            ++missing;
    }
    if (sets->count + missing > kRegionSetLimit) return -1;
    k = 0;
    for (int32_t i = 0; i < length; ++i)
        if (list[i] != region) k = region_sets_child(sets, static_cast<uint8_t>(k), list[i]);
    return k;
}

int region_set_tile(Region* region, int32_t x, int32_t y, int present) {
    if (!region || !inside_map(x, y)) return 0;
    if (present) return region_add_tile(region, x, y);
    if (!region_contains(region, x, y)) return 1;
    MapData* map = region->owner;
    // The cell leaves this region only; the regions it shares the cell with keep it.
    int32_t k = set_without(map->region_sets, tilegrid_get(map->region_grid, x, y), region);
    if (k < 0) {
        log_msg('W', "<mapdata> overlap limit reached. some region data will be lost.");
        return 0;
    }
    tilegrid_put(map->region_grid, x, y, static_cast<uint8_t>(k));
    mapdata_touch(map);
    return 1;
}

int region_toggle_tile(Region* region, int32_t x, int32_t y) {
    return region_set_tile(region, x, y, region_contains(region, x, y) ? 0 : 1);
}

static void add_to_map(MapData* map, Region* region) {
    list_append(&map->region_order, region);
}

static char* copy_name(const char* name) {
    size_t length = std::strlen(name);
    auto* copy = static_cast<char*>(mem_alloc(static_cast<uint32_t>(length + 1)));
    std::memcpy(copy, name, length);
    return copy;
}

Region* mapdata_new_region(MapData* map, const char* name) {
    if (!map || !name) return nullptr;
    auto* region = static_cast<Region*>(mem_alloc(sizeof(Region)));
    region->owner = map;
    region->name = copy_name(name);
    return region;
}

Region* mapdata_add_region(MapData* map, const char* name) {
    Region* region = mapdata_new_region(map, name);
    if (region) add_to_map(map, region);
    return region;
}

uint32_t mapdata_unlink_region(MapData* map, Region* region) {
    uint32_t index = 0;
    for (ListNode* node = map->region_order.head; node && node->data != region; node = node->next)
        ++index;
    list_remove(&map->region_order, region);
    return index;
}

void mapdata_link_region(MapData* map, Region* region, uint32_t index) {
    list_insert_at(&map->region_order, index, region);
}

char* region_swap_name(Region* region, char* name) {
    char* old = region->name;
    region->name = name;
    return old;
}

Region* mapdata_find_region(const MapData* map, const char* name) {
    if (!map || !name) return nullptr;
    // File order, so that of two regions of one name the first in the file is found.
    for (const ListNode* node = map->region_order.head; node; node = node->next) {
        auto* region = static_cast<Region*>(node->data);
        if (text_icmp(region->name, name) == 0) return region;
    }
    return nullptr;
}

const char* region_name(const Region* region) {
    return region->name;
}

void mapdata_for_each_region(MapData* map, void (*visitor)(void* user, Region* region),
                             void* user) {
    if (!map) return;
    // File order, new regions last; regions without cells too.
    for (const ListNode* node = map->region_order.head; node;) {
        const ListNode* next = node->next;
        visitor(user, static_cast<Region*>(node->data));
        node = next;
    }
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
    mem_free(region->name);
    mem_free(region);
}

void region_retire(Region* region) {
    if (!region) return;
    if (region->subchunks) {
        hash_filter(region->subchunks, hash_free_value, nullptr);
        hash_free(region->subchunks);
        region->subchunks = nullptr;
    }
    mem_free(region->name);
    region->name = nullptr;
    list_append(&region->owner->retired_regions, region);
}

void mapdata_clear_regions(MapData* map) {
    if (map->region_grid) {
        tilegrid_free(map->region_grid);
        map->region_grid = nullptr;
    }
    region_sets_free(map->region_sets);
    map->region_sets = nullptr;
    list_foreach(&map->region_order, [](void* region) { region_free(static_cast<Region*>(region)); });
    list_clear(&map->region_order);
    list_foreach(&map->retired_regions, [](void* region) { mem_free(region); });
    list_clear(&map->retired_regions);
}
