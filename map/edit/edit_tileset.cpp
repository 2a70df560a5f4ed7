// edit_tileset.cpp - tileset changes as edits: the bitmap bytes are exchanged whole.
#include "map/edit/edit.h"
#include "map/edit/journal.h"

#include <cstring>
#include <utility>

#include "core/mem.h"
#include "map/model/mapdata.h"

namespace {

struct TilesetPayload {
    uint8_t* tileset; // the tileset the map does not hold right now
    uint32_t length;
    bool placeholder;
};

void swap_tileset(MapData* map, void* payload) {
    auto* p = static_cast<TilesetPayload*>(payload);
    std::swap(p->tileset, map->tileset);
    std::swap(p->length, map->tileset_length);
    std::swap(p->placeholder, map->tileset_placeholder);
}

void release_tileset(MapData*, void* payload) {
    auto* p = static_cast<TilesetPayload*>(payload);
    mem_free(p->tileset);
    delete p;
}

size_t tileset_bytes(const void* payload) {
    return sizeof(TilesetPayload) + static_cast<const TilesetPayload*>(payload)->length;
}

void forward_tileset(const MapData* map, const void*, JournalStep* out) {
    journal_put_tileset(out, map);
}

constexpr EditCustomOps kTilesetOps{swap_tileset, release_tileset, tileset_bytes, forward_tileset};

} // namespace

int edit_set_tileset(MapEdit map, std::span<const uint8_t> bmp, bool placeholder) {
    if (placeholder && map->tileset_placeholder) return 0;
    auto length = static_cast<uint32_t>(bmp.size());
    auto* p = new TilesetPayload{static_cast<uint8_t*>(mem_alloc(length ? length : 1)), length,
                                 placeholder};
    if (length) std::memcpy(p->tileset, bmp.data(), length);
    edit_custom(map, &kTilesetOps, p);
    return 1;
}
