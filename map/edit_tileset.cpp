// edit_tileset.cpp - tileset changes as edits: the bitmap and its picture are exchanged whole.
#include "map/edit.h"
#include "map/edit/journal.h"

#include <SDL/SDL.h>

#include <utility>

#include "core/mem.h"
#include "map/level.h"
#include "map/mapdata.h"

namespace {

struct TilesetPayload {
    uint8_t* tileset; // the tileset the map does not hold right now
    uint32_t length;
    SDL_Surface* surface;
    bool placeholder;
};

void swap_tileset(MapData* map, void* payload) {
    auto* p = static_cast<TilesetPayload*>(payload);
    std::swap(p->tileset, map->tileset);
    std::swap(p->length, map->tileset_length);
    std::swap(p->surface, map->tileset_surface);
    std::swap(p->placeholder, map->tileset_placeholder);
}

void release_tileset(MapData*, void* payload) {
    auto* p = static_cast<TilesetPayload*>(payload);
    if (p->surface) SDL_FreeSurface(p->surface);
    mem_free(p->tileset);
    delete p;
}

size_t tileset_bytes(const void* payload) {
    const auto* p = static_cast<const TilesetPayload*>(payload);
    size_t picture = p->surface ? static_cast<size_t>(p->surface->pitch) * p->surface->h : 0;
    return sizeof(TilesetPayload) + p->length + picture;
}

void forward_tileset(const MapData* map, const void*, JournalStep* out) {
    journal_put_tileset(out, map);
}

constexpr EditCustomOps kTilesetOps{swap_tileset, release_tileset, tileset_bytes, forward_tileset};

// Runs a tileset operation of the level module as one recorded change. The operation sees a
// map without a tileset, so the old one is kept (by the record) instead of released.
template <typename Change> int as_edit(MapData* map, Change change) {
    auto* p = new TilesetPayload{};
    swap_tileset(map, p);
    uint64_t revision = map->revision;
    int done = change(map);
    map->revision = revision; // the record below counts the change, as every edit
    swap_tileset(map, p);     // the old tileset back: the map as before the change...
    if (!done) {
        release_tileset(map, p);
        return 0;
    }
    edit_custom(map, &kTilesetOps, p); // ...and the new one in through the change path
    return 1;
}

} // namespace

int edit_use_tileset_file(MapData* map, const char* path, char* reason, uint32_t size) {
    return as_edit(map,
                   [&](MapData* m) { return mapdata_use_tileset_file(m, path, reason, size); });
}

int edit_drop_tileset(MapData* map) {
    if (map->tileset_placeholder) return 0;
    return as_edit(map, [](MapData* m) {
        mapdata_drop_tileset(m);
        return 1;
    });
}

int edit_use_tileset_bytes(MapData* map, const uint8_t* bytes, uint32_t length) {
    if (!bytes || length < 2 || bytes[0] != 'B' || bytes[1] != 'M') return edit_drop_tileset(map);
    return as_edit(map, [&](MapData* m) {
        mapdata_load_tileset(m, std::span<const uint8_t>(bytes, length), LevelReadOptions{false, true});
        m->tileset_placeholder = false;
        return 1;
    });
}
