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

void stamp_remove(MapData* map, Stamp* stamp) {
    if (map->tiles) {
        uint32_t ax = stamp->anchor & 0xFFFu, ay = (stamp->anchor >> 12) & 0xFFFu;
        // Cells past column or row 1023 are not part of the map: they are never cleared, so
        // an object at the edge cannot reach round to the opposite side.
        for (uint32_t i = 0; i < stamp->width && ax + i < 1024; ++i)
            for (uint32_t j = 0; j < stamp->height && ay + j < 1024; ++j)
                tilegrid_put(map->tiles, static_cast<int32_t>(ax + i), static_cast<int32_t>(ay + j),
                             0);
        tilegrid_compact(map->tiles);
    }
    list_remove(&map->stamps, stamp);
    mem_free(stamp);
}

static void free_stamp(void* stamp) {
    mem_free(stamp);
}

void stamp_clear_all(MapData* map) {
    list_foreach(&map->stamps, free_stamp);
    list_clear(&map->stamps);
}

void mapdata_set_tile(MapData* map, int32_t x, int32_t y, int tile) {
    if (!map->tiles) return;
    mapdata_touch(map);
    if (Stamp* covering = stamp_find(map, x, y, nullptr)) stamp_remove(map, covering);
    if (is_object_tile(tile)) {
        int n = object_size(tile);
        // Filler cells that would lie past column or row 1023 are left out: the object is
        // clipped at the map's edge instead of wrapping to the opposite side.
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                if (i == 0 && j == 0) continue;
                int32_t cx = x + i, cy = y + j;
                if (cx < 0 || cx > 1023 || cy < 0 || cy > 1023) continue;
                mapdata_set_tile(map, cx, cy, TILE_FILLER);
            }
        }
        // Added after the filler paints, so that they never find the new object.
        stamp_add(map, x, y, tile);
    }
    tilegrid_put(map->tiles, x, y, static_cast<uint8_t>(tile));
    if (tile == 0) tilegrid_compact(map->tiles);
}
