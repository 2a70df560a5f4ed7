// mapdata.cpp - making, naming and releasing the record of one open map.
#include "map/mapdata.h"

#include <SDL/SDL.h>

#include <cerrno>
#include <cstring>

#include "core/log.h"
#include "core/mem.h"
#include "map/edit.h"
#include "core/platform.h"
#include "map/elvl.h"
#include "map/level.h"
#include "map/region.h"
#include "map/stamp.h"

MapData* mapdata_new() {
    auto* map = static_cast<MapData*>(mem_alloc(sizeof(MapData)));
    list_init(&map->stamps);
    return map;
}

void mapdata_set_name(MapData* map, const char* name) {
    size_t n = std::strlen(name);
    if (n > sizeof map->name - 1) n = sizeof map->name - 1;
    std::memcpy(map->name, name, n);
    map->name[n] = '\0';
}

void mapdata_make_default(MapData* map, bool decode_surface) {
    map->tiles = tilegrid_new();
    map->error_count = 0;
    mapdata_set_name(map, "<default>");
    // No bytes: the built-in tileset is installed.
    mapdata_load_tileset(map, {}, LevelReadOptions{false, decode_surface});
}

void mapdata_set_path(MapData* map, const char* path) {
    mem_free(map->path);
    map->path = nullptr;
    if (!path || !*path) return;
    size_t n = std::strlen(path);
    map->path = static_cast<char*>(mem_alloc(static_cast<uint32_t>(n + 1)));
    std::memcpy(map->path, path, n);
    mapdata_set_name(map, path);
}

MapData* mapdata_open(const char* path, int* error) {
    int ignored = 0;
    if (!error) error = &ignored;
    *error = ENOENT;
    if (!path || !*path) return nullptr;
    MapData* map = mapdata_new();
    if (!mapdata_read_level(map, path, error)) {
        log_msg('W', "<mapdata> error finding or reading level file '%s': %s", path,
                file_error_text(*error));
        mapdata_free(map);
        return nullptr;
    }
    log_msg('I', "<mapdata> successfully processed map file '%s'", path);
    mapdata_set_path(map, path);
    map->saved_revision = map->revision;
    return map;
}

MapData* mapdata_load(const char* path) {
    if (!path) return nullptr;
    int error = 0;
    if (MapData* map = mapdata_open(path, &error)) return map;
    MapData* map = mapdata_new();
    mapdata_make_default(map, true);
    map->saved_revision = map->revision;
    return map;
}

void mapdata_clear(MapData* map) {
    // The history first: its records refer to the grids and tables released below.
    edit_forget_history(map);
    if (map->tiles) {
        tilegrid_free(map->tiles);
        map->tiles = nullptr;
    }
    // The region grid, the region set table and the region table (with every Region).
    mapdata_clear_regions(map);
    map->selected_region = nullptr;
    if (map->attributes) {
        hash_filter(map->attributes, hash_free_value, nullptr);
        hash_free(map->attributes);
        map->attributes = nullptr;
    }
    if (map->kept_chunks) {
        elvl_free_chunks(map->kept_chunks);
        map->kept_chunks = nullptr;
    }
}

void mapdata_free(MapData* map) {
    if (!map) return;
    edit_forget_history(map);
    if (map->tileset_surface) {
        SDL_FreeSurface(map->tileset_surface);
        map->tileset_surface = nullptr;
    }
    if (map->tileset) {
        mem_free(map->tileset);
        map->tileset = nullptr;
        map->tileset_length = 0;
    }
    stamp_clear_all(map);
    mapdata_clear(map);
    mem_free(map->path);
    mem_free(map);
}
