// stamp.cpp - placed multi-cell objects and the paint operation that keeps them whole.
#include "map/stamp.h"

#include "core/list.h"
#include "core/mem.h"
#include "map/mapdata.h"

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

Stamp* stamp_add(MapData* map, int32_t x, int32_t y, int tile) {
    auto* stamp = static_cast<Stamp*>(mem_alloc(sizeof(Stamp)));
    stamp->anchor = (static_cast<uint32_t>(x) & 0xFFFu) |
                    (static_cast<uint32_t>(y) & 0xFFFu) << 12 |
                    (static_cast<uint32_t>(tile) & 0xFFu) << 24;
    auto n = static_cast<uint16_t>(object_size(tile));
    stamp->width = n;
    stamp->height = n;
    list_append(&map->stamps, stamp);
    return stamp;
}

Stamp* stamp_find(const MapData* map, int32_t x, int32_t y, int* tile) {
    // Unsigned compares: negative coordinates match no stamp.
    auto ux = static_cast<uint32_t>(x), uy = static_cast<uint32_t>(y);
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
}
