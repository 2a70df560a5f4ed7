// region_store.cpp - rebuilding the region membership store with only the sets in use.
//
// Toggling cells leaves sets that no cell uses any more, and deleting a region leaves every set
// that listed it; the table would fill up for good over a long session. A rebuild makes a new
// grid and table that hold exactly the memberships of the old ones (without a dropped region):
// each set in use becomes its list (minus the dropped region), rebuilt from the empty set one
// region at a time, so the new table keeps the tree form and never needs more slots than the
// old one had.
#include "core/log.h"
#include "map/model/region.h"
#include "map/model/region_store.h"

#include <cstring>

namespace {

// Marks in used[] every set some cell of the grid holds.
void mark_used(const TileGrid* grid, bool* used) {
    for (const TileBlock* block : grid->blocks) {
        if (!block) continue;
        for (const TileSubBlock* sub : block->sub) {
            if (!sub) continue;
            for (uint8_t set : sub->cells)
                used[set] = true;
        }
    }
}

// Copies the grid with every byte s replaced by remap[s]; all-zero sub-blocks are left out.
TileGrid* remap_grid(const TileGrid* grid, const uint8_t* remap) {
    TileGrid* fresh = tilegrid_new();
    for (uint32_t b = 0; b < 1024; ++b) {
        const TileBlock* block = grid->blocks[b];
        if (!block) continue;
        for (uint32_t i = 0; i < 16; ++i) {
            const TileSubBlock* sub = block->sub[i];
            if (!sub) continue;
            uint8_t cells[64];
            uint8_t any = 0;
            for (int c = 0; c < 64; ++c)
                any |= cells[c] = remap[sub->cells[c]];
            if (!any) continue;
            // Any cell of the sub-block names it: block b covers x = (b / 32) * 32.., y =
            // (b % 32) * 32..; sub-block i covers x + (i / 4) * 8.., y + (i % 4) * 8...
            auto x = static_cast<int32_t>((b / 32) * 32 + (i / 4) * 8);
            auto y = static_cast<int32_t>((b % 32) * 32 + (i % 4) * 8);
            std::memcpy(tilegrid_make_sub(fresh, x, y)->cells, cells, 64);
        }
    }
    return fresh;
}

} // namespace

RegionStore region_store_rebuild(const MapData* map, const Region* drop) {
    const RegionSetTable* old = map->region_sets;
    bool used[256] = {};
    mark_used(map->region_grid, used);
    RegionSetTable* sets = region_sets_new();
    uint8_t remap[256] = {};
    for (int32_t k = 1; k <= old->count; ++k) {
        if (!used[k]) continue;
        uint16_t s = 0;
        for (int32_t i = 0; i < old->length[k] && s != kRegionNoSet; ++i)
            if (old->members[k][i] != drop)
                s = region_sets_child(sets, static_cast<uint8_t>(s), old->members[k][i], false);
        // Cannot happen: every prefix of a set in use has a slot of its own in the old table.
        if (s == kRegionNoSet) {
            log_msg('E', "<mapdata> region set %d could not be rebuilt", k);
            s = 0;
        }
        remap[k] = static_cast<uint8_t>(s);
    }
    // The masks follow when the caller installs the table (region_sets_refresh_masks).
    return {remap_grid(map->region_grid, remap), sets};
}
