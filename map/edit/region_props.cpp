// region_props.cpp - reading a region's properties from its sub-chunks, its extent, and the
// rules for region names.
#include "core/hash.h"
#include "map/model/elvl_chunk.h"
#include "map/model/region.h"
#include "map/edit/region_edit.h"

#include <algorithm>
#include <cstring>

namespace {

// Visits the region's sub-chunks of one exact type in their order; stop when visit is false.
template <typename Visit> void each_subchunk(const Region* region, const char* type, Visit visit) {
    if (!region->subchunks) return;
    for (HashEntry* e = region->subchunks->first_added; e; e = e->added_next)
        if ((!type || elvl_chunk_is(e->value, type)) && !visit(e->value)) return;
}

int16_t read_i16(const uint8_t* p) {
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | p[1] << 8));
}

} // namespace

bool region_has_subchunk(const Region* region, const char* type) {
    bool found = false;
    each_subchunk(region, type, [&](const void*) { return !(found = true); });
    return found;
}

bool region_colour(const Region* region, uint8_t rgb[3]) {
    bool found = false;
    each_subchunk(region, "rCOL", [&](const void* copy) {
        if (elvl_chunk_length(copy) < 3) return true;
        std::memcpy(rgb, elvl_chunk_data(copy), 3);
        return !(found = true);
    });
    return found;
}

int region_warps(const Region* region, RegionWarp* out, int max) {
    int count = 0;
    each_subchunk(region, "rAWP", [&](const void* copy) {
        uint32_t length = elvl_chunk_length(copy);
        if (length < 4) return true;
        if (count < max) {
            const uint8_t* data = elvl_chunk_data(copy);
            RegionWarp& warp = out[count];
            warp.x = read_i16(data);
            warp.y = read_i16(data + 2);
            // The arena name is NUL-padded; a full 16 bytes carry no terminator.
            uint32_t n = std::min<uint32_t>(length - 4, kRegionArenaMax);
            std::memset(warp.arena, 0, sizeof warp.arena);
            std::memcpy(warp.arena, data + 4, n);
        }
        ++count;
        return true;
    });
    return count;
}

void region_flags(const Region* region, char out[8]) {
    static constexpr struct {
        const char* type;
        char letter;
    } kFlags[] = {{"rBSE", 'B'}, {"rAWP", 'W'}, {"rNAW", 'A'}, {"rNWP", 'N'}, {"rNFL", 'F'}};
    int n = 0;
    for (const auto& flag : kFlags)
        if (region_has_subchunk(region, flag.type)) out[n++] = flag.letter;
    bool other = false;
    each_subchunk(region, nullptr, [&](const void* copy) {
        for (const auto& flag : kFlags)
            if (elvl_chunk_is(copy, flag.type)) return true;
        return !(other = !elvl_chunk_is(copy, "rCOL"));
    });
    if (other) out[n++] = '+';
    out[n] = '\0';
}

RegionExtent region_extent(const Region* region) {
    RegionExtent e{0, 1024, 1024, -1, -1};
    const TileGrid* grid = region->owner->region_grid;
    if (!grid) return e;
    // Only stored cells can hold a set.
    tilegrid_for_each_set(grid, [&](int32_t x, int32_t y, uint8_t set) {
        if (!((region->mask[set >> 5] >> (set & 31)) & 1u)) return;
        ++e.cells;
        e.left = std::min(e.left, x);
        e.top = std::min(e.top, y);
        e.right = std::max(e.right, x);
        e.bottom = std::max(e.bottom, y);
    });
    return e;
}

const char* region_name_problem(const MapData* map, const Region* self, const char* name) {
    size_t length = std::strlen(name);
    if (length == 0) return "a region needs a name";
    if (length > kRegionNameMax) return "a region name holds at most 255 characters";
    // Two regions of one name may come from a file; the editor makes no new pair.
    for (const ListNode* node = map->region_order.head; node; node = node->next) {
        auto* region = static_cast<const Region*>(node->data);
        if (region != self && text_icmp(region->name, name) == 0)
            return "another region has that name";
    }
    return nullptr;
}
