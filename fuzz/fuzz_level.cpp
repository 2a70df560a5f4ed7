// fuzz_level.cpp - feeds arbitrary bytes to the level reader, saves, reloads and saves again:
// the reload must hold everything the save carries (tiles, attributes, regions with their
// names, cells and kept sub-chunks, kept chunks) and the second save must be the same bytes.
// Paints on top are then undone, which must give the same bytes once more.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "fuzz/fuzz_budget.h"
#include "map/edit/edit.h"
#include "map/lvl/elvl.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"
#include "map/model/region.h"
#include "map/model/stamp.h"

namespace {

using Entries = std::vector<std::string>;

// A table's entries as key, a zero byte, then the value's bytes; chunk copies whole.
Entries entries(const HashTable* table, bool chunks, bool added_order) {
    Entries out;
    if (!table) return out;
    struct Ctx {
        Entries* out;
        bool chunks;
    } ctx{&out, chunks};
    HashVisitor visit = [](const char* key, void* value, void* user) {
        auto* c = static_cast<Ctx*>(user);
        const auto* v = static_cast<const char*>(value);
        size_t n = c->chunks ? 8 + elvl_chunk_length(value) : std::strlen(v);
        c->out->push_back(std::string(key) + '\0' + std::string(v, n));
        return 0;
    };
    if (added_order) {
        hash_foreach_added(table, visit, &ctx);
    } else {
        // Table order without the resize a filter ends with.
        for (int32_t i = 0; i <= table->mask; ++i)
            for (const HashEntry* e = table->buckets[i]; e; e = e->next)
                visit(hash_entry_key(const_cast<HashEntry*>(e)), e->value, &ctx);
    }
    return out;
}

std::vector<const Region*> regions_in_order(const MapData* map) {
    std::vector<const Region*> out;
    for (const ListNode* n = map->region_order.head; n; n = n->next)
        out.push_back(static_cast<const Region*>(n->data));
    return out;
}

// Per region set, the positions (in region order) of the regions it holds.
std::vector<std::vector<int32_t>> set_members(const MapData* map) {
    std::vector<const Region*> regions = regions_in_order(map);
    int32_t sets = mapdata_region_set_count(map);
    std::vector<std::vector<int32_t>> of_set(256);
    for (int32_t k = 1; k <= sets; ++k)
        for (size_t i = 0; i < regions.size(); ++i)
            if ((regions[i]->mask[k >> 5] >> (k & 31)) & 1u)
                of_set[k].push_back(static_cast<int32_t>(i));
    return of_set;
}

// Every cell lies in the same regions of both maps (absent storage reads as no region).
bool same_cells(const MapData* a, const MapData* b) {
    auto in_a = set_members(a), in_b = set_members(b);
    for (int32_t y = 0; y < 1024; ++y)
        for (int32_t x = 0; x < 1024; ++x) {
            uint8_t sa = a->region_grid ? tilegrid_get(a->region_grid, x, y) : 0;
            uint8_t sb = b->region_grid ? tilegrid_get(b->region_grid, x, y) : 0;
            if (in_a[sa] != in_b[sb]) return false;
        }
    return true;
}

void expect_same_metadata(const MapData* a, const MapData* b) {
    if (entries(a->attributes, false, false) != entries(b->attributes, false, false)) abort();
    if (entries(a->kept_chunks, true, true) != entries(b->kept_chunks, true, true)) abort();
    std::vector<const Region*> ra = regions_in_order(a), rb = regions_in_order(b);
    if (ra.size() != rb.size()) abort();
    for (size_t i = 0; i < ra.size(); ++i) {
        if (std::strcmp(region_name(ra[i]), region_name(rb[i])) != 0) abort();
        if (entries(ra[i]->subchunks, true, true) != entries(rb[i]->subchunks, true, true)) abort();
    }
    if ((a->region_grid || b->region_grid) && !same_cells(a, b)) abort();
}

} // namespace

// The reader logs a line per problem; at millions of runs that output is only noise.
extern "C" int LLVMFuzzerInitialize(int*, char***) { return fuzz_quiet_log(); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LevelLosses losses, again_losses;
    const LevelReadOptions quiet = fuzz_read_options(nullptr, &losses);
    MapData* map = mapdata_new();
    mapdata_read_bytes(map, std::span<const uint8_t>(data, size), quiet);

    std::vector<uint8_t> once, again_bytes, twice;
    int result = mapdata_save_bytes(map, &once);
    if (result == MAPDATA_SAVE_FAILED) abort();
    // A second save of the same map gives the same bytes.
    if (mapdata_save_bytes(map, &again_bytes) != result || again_bytes != once) abort();
    EditedMap again(mapdata_new());
    mapdata_read_bytes(again, once, fuzz_read_options(nullptr, &again_losses));
    if (again_losses.tile_records != 0) abort();
    // The saved file carries the metadata whole unless the save said otherwise, or the first
    // read ran out of its region budget.
    if (result == MAPDATA_SAVE_OK && !losses.region_data_cut)
        expect_same_metadata(map, again);
    // A region cut to fit its chunk fits the second time.
    int second = mapdata_save_bytes(again, &twice);
    if (twice != once || (second != result && result != MAPDATA_SAVE_REGIONS_CUT)) abort();

    // Paint a few cells picked by the input, objects included, over what was read.
    for (size_t i = 0; i + 3 <= size && i < 24; i += 3) {
        int32_t x = (data[i] | (data[i + 1] & 3) << 8),
                y = (data[i + 1] >> 2 | data[i + 2] << 6) & 1023;
        edit_paint(again, x, y, data[i + 2]);
    }
    // Undoing every paint gives back the file as it was read, byte for byte.
    while (edit_undo(again, nullptr)) {
    }
    std::vector<uint8_t> undone;
    mapdata_save_bytes(again, &undone);
    if (undone != twice) abort();
    mapdata_free(map);
    return 0;
}
