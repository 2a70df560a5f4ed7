// region_test_util.h - shared helpers for the region tests: maps, chunk building, cell scans.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "map/elvl.h"
#include "map/mapdata.h"
#include "map/region.h"
#include "test_util.h"

// Every cell of the region as x + y * 1024, in row order. Only areas with grid storage can
// hold cells, so the others are skipped.
inline std::vector<int32_t> region_cells(const Region* region) {
    std::vector<int32_t> cells;
    const TileGrid* grid = region->owner->region_grid;
    if (!grid) return cells;
    for (int32_t y = 0; y < 1024; ++y)
        for (int32_t x0 = 0; x0 < 1024; x0 += 32)
            if (grid->blocks[tilegrid_block_index(x0, y)])
                for (int32_t x = x0; x < x0 + 32; ++x)
                    if (region_contains(region, x, y)) cells.push_back(x + y * 1024);
    return cells;
}

// Feeds every chunk of an area through the level's chunk handler, as the reader does.
inline void read_chunk_area(MapData* map, const std::vector<uint8_t>& area) {
    HashTable* table = hash_create();
    elvl_read_chunks(table, area.data(), static_cast<int32_t>(area.size()));
    hash_filter(table, mapdata_handle_chunk, map);
    elvl_free_chunks(table);
}

// Kept sub-chunks of a region by type, each type's copies in table order.
inline std::map<std::string, std::vector<std::vector<uint8_t>>> kept_subchunks(const Region* r) {
    std::map<std::string, std::vector<std::vector<uint8_t>>> kept;
    for (int32_t i = 0; i <= r->subchunks->mask; ++i)
        for (HashEntry* e = r->subchunks->buckets[i]; e; e = e->next) {
            auto* p = static_cast<const uint8_t*>(e->value);
            kept[hash_entry_key(e)].emplace_back(p, p + 8 + elvl_chunk_length(p));
        }
    return kept;
}

inline std::vector<Region*> all_regions(const MapData* map) {
    std::vector<Region*> regions;
    if (!map->regions) return regions;
    for (int32_t i = 0; i <= map->regions->mask; ++i)
        for (HashEntry* e = map->regions->buckets[i]; e; e = e->next)
            regions.push_back(static_cast<Region*>(e->value));
    return regions;
}

// Every region of a comes back in b with its name, cells and kept sub-chunks.
inline void expect_same_regions(const MapData* a, const MapData* b) {
    auto before = all_regions(a);
    ASSERT_EQ(before.size(), all_regions(b).size());
    for (const Region* r : before) {
        const Region* r2 = mapdata_find_region(b, region_name(r));
        ASSERT_NE(r2, nullptr) << region_name(r);
        EXPECT_STREQ(region_name(r2), region_name(r));
        EXPECT_EQ(region_cells(r2), region_cells(r)) << region_name(r);
        EXPECT_EQ(kept_subchunks(r2), kept_subchunks(r)) << region_name(r);
    }
}
