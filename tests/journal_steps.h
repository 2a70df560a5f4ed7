// journal_steps.h - random steps of every kind the change path records, on a map that saves
// everything it holds, for the edit journal's tests.
#pragma once
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/list.h"
#include "map/lvl/builtin_tileset.h"
#include "map/edit/clipboard.h"
#include "map/edit/edit.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"
#include "map/model/model_raw.h"
#include "map/model/region.h"
#include "map/edit/region_edit.h"

namespace journaltest {

// The level format's check of a tileset bitmap, as the editor's recovery uses it.
inline bool tileset_ok(std::span<const uint8_t> bmp) {
    char reason[8];
    return tileset_file_check(bmp, reason, sizeof reason);
}

// A map with a real tileset (so a save keeps attributes and regions), a few tiles and a region.
inline std::vector<uint8_t> base_level() {
    MapData* map = mapdata_new();
    mapdata_make_default(map);
    uint32_t length = 0;
    const uint8_t* bmp = builtin_tileset(&length);
    mapdata_load_tileset(map, std::span<const uint8_t>(bmp, length), LevelReadOptions{false});
    map->tileset_placeholder = false;
    for (int i = 0; i < 40; ++i)
        tilegrid_put(map->tiles, 500 + i % 8, 500 + i / 8, static_cast<uint8_t>(1 + i));
    Region* region = mapdata_add_region(map, "Start");
    region_add_tile(region, 501, 501);
    std::vector<uint8_t> bytes;
    mapdata_save_bytes(map, &bytes);
    mapdata_free(map);
    return bytes;
}

// The map the bytes read as, with a history for its changes.
inline EditedMap load_level(std::span<const uint8_t> bytes) {
    EditedMap map(mapdata_new());
    mapdata_read_bytes(map.get(), bytes, LevelReadOptions{false});
    return map;
}

inline std::vector<uint8_t> save_bytes(MapData* map) {
    std::vector<uint8_t> bytes;
    mapdata_save_bytes(map, &bytes);
    return bytes;
}

inline Region* region_at(MapData* map, uint32_t index) {
    const ListNode* node = map->region_order.head;
    for (uint32_t i = 0; node && i < index; ++i)
        node = node->next;
    return node ? static_cast<Region*>(node->data) : nullptr;
}

// One random step: a stroke, region cells, a region command, an attribute, a fill, a cut or copy
// and a paste (two steps), the tileset, an undo or a redo. Changes stay near (500, 500) so that
// objects and regions meet.
inline void random_step(MapEdit map, std::mt19937& rng) {
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<uint32_t>(n)); };
    int x = 480 + pick(48), y = 480 + pick(48);
    uint32_t regions = list_count(&map->region_order);
    Region* region = regions ? region_at(map, static_cast<uint32_t>(pick(static_cast<int>(regions))))
                             : nullptr;
    std::string name = "R" + std::to_string(rng() % 1000);
    switch (pick(16)) {
    case 0: case 1: case 2: case 3: {
        edit_begin(map, "stroke");
        for (int i = pick(8); i >= 0; --i) {
            int tile = pick(10) == 0 ? 216 + pick(5) : pick(4) == 0 ? 0 : 1 + pick(190);
            edit_paint(map, x + pick(6), y + pick(6), tile);
        }
        edit_end(map);
        break;
    }
    case 4: case 5:
        if (!region) break;
        edit_begin(map, "region stroke");
        for (int i = pick(6); i >= 0; --i)
            edit_region_toggle(map, region, x + pick(4), y + pick(4));
        edit_end(map);
        break;
    case 6:
        if (regions < 6 && !mapdata_find_region(map, name.c_str())) edit_region_create(map, name.c_str());
        break;
    case 7:
        if (region && !mapdata_find_region(map, name.c_str())) edit_region_rename(map, region, name.c_str());
        break;
    case 8: {
        const uint8_t rgb[3] = {static_cast<uint8_t>(rng()), 40, 200};
        if (region) edit_region_flag(map, region, "rBSE", pick(2) == 0);
        if (region && pick(2)) edit_region_colour(map, region, rgb);
        break;
    }
    case 9:
        if (region && pick(3) == 0) edit_region_delete(map, region);
        break;
    case 10:
        if (pick(3))
            edit_set_attribute(map, pick(2) ? "NAME" : name.c_str(), name.c_str());
        else
            edit_remove_attribute(map, "NAME");
        break;
    case 11:
        if (pick(2)) {
            clip_fill(map, ClipRect{x, y, 1 + pick(12), 1 + pick(12)}, pick(2) ? 217 : pick(200),
                      pick(2) == 0, region);
            break;
        }
        // A piece copied or cut (a step of its own), then pasted elsewhere.
        if (ClipPiece piece; pick(3) ? clip_copy(map, ClipRect{x, y, 1 + pick(10), 1 + pick(10)},
                                                 region, &piece)
                                     : clip_cut(map, ClipRect{x, y, 1 + pick(10), 1 + pick(10)},
                                                region, &piece))
            clip_paste(map, piece, 480 + pick(48), 480 + pick(48), region,
                       pick(2) ? CLIP_PASTE_ALL : CLIP_PASTE_NONEMPTY);
        break;
    case 12:
        if (pick(8) == 0 || map->tileset_placeholder) {
            uint32_t length = 0;
            const uint8_t* bmp = builtin_tileset(&length);
            edit_set_tileset(map, std::span<const uint8_t>(bmp, length), !map->tileset_placeholder);
        }
        break;
    case 13: case 14:
        edit_undo(map, nullptr);
        break;
    default:
        edit_redo(map, nullptr);
        break;
    }
}

} // namespace journaltest
