// stamp.cpp - placed multi-cell objects and the paint operation that keeps them whole.
#include "map/model/stamp.h"

#include <algorithm>

#include "core/list.h"
#include "core/mem.h"
#include "map/model/mapdata.h"

int object_size(int tile) {
    switch (tile) {
    case 217:
        return 2;
    case 219:
        return 6;
    case 220:
        return 5;
    default:
        return 1; // 216, 218 and every non-object tile
    }
}

// Counts the stamp in (delta 1) or out of (-1) every 32 x 32 area of the map it touches.
static void cover(MapData* map, const Stamp* stamp, uint32_t delta) {
    uint32_t ax = stamp->anchor & 0xFFFu, ay = (stamp->anchor >> 12) & 0xFFFu;
    if (ax > 1023 || ay > 1023 || stamp->width == 0 || stamp->height == 0) return;
    if (!map->stamp_cover)
        map->stamp_cover = static_cast<uint32_t*>(mem_alloc(1024 * sizeof(uint32_t)));
    uint32_t x1 = std::min(ax + stamp->width - 1, 1023u) >> 5;
    uint32_t y1 = std::min(ay + stamp->height - 1, 1023u) >> 5;
    for (uint32_t bx = ax >> 5; bx <= x1; ++bx)
        for (uint32_t by = ay >> 5; by <= y1; ++by)
            map->stamp_cover[bx * 32 + by] += delta;
}

Stamp* stamp_add(MapData* map, int32_t x, int32_t y, int tile) {
    auto* stamp = static_cast<Stamp*>(mem_alloc(sizeof(Stamp)));
    stamp->anchor = (static_cast<uint32_t>(x) & 0xFFFu) |
                    (static_cast<uint32_t>(y) & 0xFFFu) << 12 |
                    (static_cast<uint32_t>(tile) & 0xFFu) << 24;
    auto n = static_cast<uint16_t>(object_size(tile));
    stamp->width = n;
    stamp->height = n;
    list_append(&map->stamps, stamp);
    cover(map, stamp, 1);
    return stamp;
}

Stamp* stamp_find(const MapData* map, int32_t x, int32_t y, int* tile) {
    // Unsigned compares: negative coordinates match no stamp.
    auto ux = static_cast<uint32_t>(x), uy = static_cast<uint32_t>(y);
    // Most cells lie in areas no object touches; painting asks for every cell it paints.
    if (ux < 1024 && uy < 1024 &&
        (!map->stamp_cover || map->stamp_cover[(ux >> 5) * 32 + (uy >> 5)] == 0))
        return nullptr;
    for (ListNode* node = map->stamps.head; node; node = node->next) {
        auto* stamp = static_cast<Stamp*>(node->data);
        uint32_t ax = stamp->anchor & 0xFFFu, ay = (stamp->anchor >> 12) & 0xFFFu;
        if (ax <= ux && ux < ax + stamp->width && ay <= uy && uy < ay + stamp->height) {
            if (tile) *tile = static_cast<int>(stamp->anchor >> 24);
            return stamp;
        }
    }
    return nullptr;
}

static void free_stamp(void* stamp) {
    mem_free(stamp);
}

void stamp_clear_all(MapData* map) {
    list_foreach(&map->stamps, free_stamp);
    list_clear(&map->stamps);
    mem_free(map->stamp_cover);
    map->stamp_cover = nullptr;
}

void stamp_insert(MapData* map, uint32_t index, const Stamp& stamp) {
    auto* copy = static_cast<Stamp*>(mem_alloc(sizeof(Stamp)));
    *copy = stamp;
    list_insert_at(&map->stamps, index, copy);
    cover(map, copy, 1);
}

void stamp_delete(MapData* map, uint32_t index) {
    auto* stamp = static_cast<Stamp*>(list_remove_at(&map->stamps, index));
    if (!stamp) return;
    cover(map, stamp, static_cast<uint32_t>(-1));
    mem_free(stamp);
}
