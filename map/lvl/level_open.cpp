// level_open.cpp - opening a level file as a map, and the default map shown without one.
#include <cerrno>

#include "core/log.h"
#include "core/platform.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"
#include "map/model/tilegrid.h"

void mapdata_make_default(MapData* map) {
    map->tiles = tilegrid_new();
    // No bytes: the built-in tileset is installed.
    mapdata_load_tileset(map, {}, LevelReadOptions{false});
}

MapData* mapdata_open(const char* path, int* error, LevelLosses* losses) {
    int ignored = 0;
    if (!error) error = &ignored;
    *error = ENOENT;
    if (!path || !*path) return nullptr;
    MapData* map = mapdata_new();
    if (!mapdata_read_level(map, path, error, losses)) {
        log_msg('W', "<mapdata> error finding or reading level file '%s': %s", path,
                file_error_text(*error));
        mapdata_free(map);
        return nullptr;
    }
    log_msg('I', "<mapdata> successfully processed map file '%s'", path);
    return map;
}

MapData* mapdata_load(const char* path) {
    if (!path) return nullptr;
    int error = 0;
    if (MapData* map = mapdata_open(path, &error)) return map;
    MapData* map = mapdata_new();
    mapdata_make_default(map);
    return map;
}
