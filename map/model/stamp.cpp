// stamp.cpp - placed multi-cell objects and the paint operation that keeps them whole.
#include "map/model/model_raw.h"
#include "map/model/stamp.h"

#include <algorithm>

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

// Room for one more stamp at the end of the array.
static Stamp* grow(StampList& list) {
    if (list.count == list.capacity) {
        // A level holds at most 4 M records, so the count stays far below 2^31.
        list.capacity = list.capacity ? list.capacity * 2 : 16;
        list.items = static_cast<Stamp*>(mem_resize(list.items, list.capacity * sizeof(Stamp)));
    }
    return &list.items[list.count++];
}

Stamp* stamp_add(MapData* map, int32_t x, int32_t y, int tile) {
    Stamp* stamp = grow(map->stamps);
    stamp->anchor = (static_cast<uint32_t>(x) & 0xFFFu) |
                    (static_cast<uint32_t>(y) & 0xFFFu) << 12 |
                    (static_cast<uint32_t>(tile) & 0xFFu) << 24;
    auto n = static_cast<uint16_t>(object_size(tile));
    stamp->width = n;
    stamp->height = n;
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
    for (uint32_t i = 0; i < map->stamps.count; ++i) {
        Stamp* stamp = &map->stamps.items[i];
        uint32_t ax = stamp->anchor & 0xFFFu, ay = (stamp->anchor >> 12) & 0xFFFu;
        if (ax <= ux && ux < ax + stamp->width && ay <= uy && uy < ay + stamp->height) {
            if (tile) *tile = static_cast<int>(stamp->anchor >> 24);
            return stamp;
        }
    }
    return nullptr;
}

void stamp_clear_all(MapData* map) {
    mem_free(map->stamps.items);
    map->stamps = StampList{};
    mem_free(map->stamp_cover);
    map->stamp_cover = nullptr;
}

void stamp_insert(MapData* map, uint32_t index, const Stamp& stamp) {
    StampList& list = map->stamps;
    grow(list);
    if (index > list.count - 1) index = list.count - 1;
    std::copy_backward(list.items + index, list.items + list.count - 1, list.items + list.count);
    list.items[index] = stamp;
    cover(map, &stamp, 1);
}

void stamp_delete(MapData* map, uint32_t index) {
    StampList& list = map->stamps;
    if (index >= list.count) return;
    cover(map, &list.items[index], static_cast<uint32_t>(-1));
    std::copy(list.items + index + 1, list.items + list.count, list.items + index);
    --list.count;
}

void stamp_delete_where(MapData* map, bool (*drop)(const Stamp& stamp, uint32_t index, void* user),
                        void* user) {
    StampList& list = map->stamps;
    uint32_t kept = 0;
    for (uint32_t i = 0; i < list.count; ++i) {
        Stamp stamp = list.items[i];
        if (drop(stamp, kept, user))
            cover(map, &stamp, static_cast<uint32_t>(-1));
        else
            list.items[kept++] = stamp;
    }
    list.count = kept;
}
