// journal_replay.cpp - applies step records through the change path.
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/hash.h"
#include "core/list.h"
#include "core/mem.h"
#include "map/edit/edit.h"
#include "map/edit/journal.h"
#include "map/edit/journal_codec.h"
#include "map/model/elvl_chunk.h"
#include "map/model/mapdata.h"
#include "map/model/region.h"
#include "map/edit/region_edit.h"
#include "map/model/stamp.h"

namespace {

struct Replay {
    MapEdit map;
    JournalCursor in;
    std::string* problem;
    JournalTilesetCheck tileset_ok;

    bool fail(const char* why) {
        *problem = why;
        return false;
    }

    Region* region_at(uint32_t index) {
        const ListNode* node = map->region_order.head;
        for (uint32_t i = 0; node && i < index; ++i)
            node = node->next;
        return node ? static_cast<Region*>(node->data) : nullptr;
    }

    char* owned_text(const std::string& text) {
        auto* copy = static_cast<char*>(mem_alloc(static_cast<uint32_t>(text.size() + 1)));
        std::memcpy(copy, text.data(), text.size());
        return copy;
    }

    // A sub-chunk table as elvl keeps one: chunk copies keyed by their type, in order.
    bool subchunks(HashTable** out) {
        uint32_t count = 0;
        if (!in.u32(&count) || count > in.left() / 8) return fail("bad sub-chunk count");
        HashTable* table = hash_create();
        for (uint32_t i = 0; i < count; ++i) {
            std::span<const uint8_t> head, data;
            if (!in.take(8, &head) || elvl_chunk_length(head.data()) > kElvlMaxChunkLength ||
                !in.take(elvl_chunk_length(head.data()), &data)) {
                elvl_free_chunks(table);
                return fail("bad sub-chunk");
            }
            auto* copy = static_cast<uint8_t*>(mem_alloc(static_cast<uint32_t>(8 + data.size())));
            std::memcpy(copy, head.data(), 8);
            if (!data.empty()) std::memcpy(copy + 8, data.data(), data.size());
            char key[5] = {};
            std::memcpy(key, copy, 4);
            hash_add(table, key, copy);
        }
        *out = table;
        return true;
    }

    // The cells an arriving region brings, as runs along rows.
    bool arrival_cells(Region* region) {
        uint32_t runs = 0;
        if (!in.u32(&runs) || runs > in.left() / 6) return fail("bad region cells");
        for (uint32_t i = 0; i < runs; ++i) {
            uint32_t start = 0;
            uint16_t length = 0;
            (void)in.u32(&start); // counted above
            (void)in.u16(&length);
            auto x = static_cast<int32_t>(start & 1023u), y = static_cast<int32_t>(start >> 10);
            if (y > 1023 || length == 0 || x + length > 1024) return fail("bad region cells");
            for (int32_t k = 0; k < length; ++k)
                edit_region_cell(map, region, x + k, y, true);
        }
        return true;
    }

    bool attributes() {
        uint32_t count = 0;
        if (!in.u32(&count) || count > in.left() / 8) return fail("bad attribute count");
        HashTable* table = hash_create();
        for (uint32_t i = 0; i < count; ++i) {
            std::string key, value;
            if (!in.text(&key) || !in.text(&value)) {
                hash_filter(table, hash_free_value, nullptr);
                hash_free(table);
                return fail("bad attribute");
            }
            hash_add(table, key.c_str(), owned_text(value));
        }
        edit_replace_attributes(map, table);
        return true;
    }

    bool change() {
        uint8_t kind = 0;
        uint32_t index = 0;
        if (!in.u8(&kind)) return fail("change cut short");
        if (kind == JC_ATTRIBUTES) return attributes();
        if (!in.u32(&index)) return fail("change cut short");
        switch (kind) {
        case JC_OBJECT_PLACED: {
            uint32_t anchor = 0;
            uint16_t width = 0, height = 0;
            if (!in.u32(&anchor) || !in.u16(&width) || !in.u16(&height)) return fail("bad object");
            int tile = static_cast<int>(anchor >> 24);
            auto size = static_cast<uint16_t>(object_size(tile));
            if (!map->tiles || !is_object_tile(tile) || (anchor & 0xFFFu) > 1023 ||
                ((anchor >> 12) & 0xFFFu) > 1023 || width != size || height != size)
                return fail("bad object");
            edit_insert_stamp_at(map, index, anchor, width, height);
            return true;
        }
        case JC_OBJECT_REMOVED:
            if (!map->tiles || index >= map->stamps.count) return fail("no such object");
            edit_remove_stamp_at(map, index);
            return true;
        case JC_REGION_NAME: {
            std::string name;
            Region* region = region_at(index);
            if (!in.text(&name) || !region) return fail("bad region name");
            edit_region_rename(map, region, name.c_str());
            return true;
        }
        case JC_REGION_SUBCHUNKS: {
            Region* region = region_at(index);
            HashTable* table = nullptr;
            if (!region) return fail("no such region");
            if (!subchunks(&table)) return false;
            edit_region_set_subchunks(map, region, table);
            return true;
        }
        case JC_REGION_ARRIVAL: {
            std::string name;
            HashTable* table = nullptr;
            if (!in.text(&name) || index > list_count(&map->region_order))
                return fail("bad region arrival");
            if (!subchunks(&table)) return false;
            Region* region = edit_region_insert(map, index, name.c_str());
            if (table->count > 0)
                edit_region_set_subchunks(map, region, table);
            else
                elvl_free_chunks(table);
            return arrival_cells(region);
        }
        case JC_REGION_DEPARTURE: {
            Region* region = region_at(index);
            if (!region) return fail("no such region");
            edit_region_delete(map, region);
            return true;
        }
        case JC_TILESET: {
            std::span<const uint8_t> bytes;
            uint8_t placeholder = 0;
            if (!in.take(index, &bytes) || !in.u8(&placeholder)) return fail("bad tileset");
            if (placeholder > 1 || (!bytes.empty() && !tileset_ok(bytes))) return fail("bad tileset");
            edit_set_tileset(map, bytes, placeholder != 0);
            return true;
        }
        default:
            return fail("unknown change");
        }
    }

    bool tiles() {
        uint32_t count = 0;
        if (!in.u32(&count) || count > in.left() / 4) return fail("bad cell count");
        if (count && !map->tiles) return fail("cells for a map without tiles");
        edit_reserve_cells(map, count);
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t cell = 0;
            (void)in.u32(&cell); // counted above
            edit_put_tile(map, static_cast<int32_t>(cell & 1023u),
                          static_cast<int32_t>((cell >> 10) & 1023u), static_cast<uint8_t>(cell >> 24));
        }
        return true;
    }

    bool regions() {
        uint32_t list_count_ = 0;
        if (!in.u32(&list_count_) || list_count_ > 256) return fail("bad region lists");
        std::vector<Region*> order;
        for (const ListNode* node = map->region_order.head; node; node = node->next)
            order.push_back(static_cast<Region*>(node->data));
        std::vector<std::vector<Region*>> lists(list_count_);
        for (auto& list : lists) {
            uint32_t length = 0;
            if (!in.u32(&length) || length > in.left() / 4) return fail("bad region list");
            for (uint32_t i = 0; i < length; ++i) {
                uint32_t place = 0;
                (void)in.u32(&place);
                if (place >= order.size()) return fail("no such region");
                list.push_back(order[place]);
            }
        }
        uint32_t count = 0;
        if (!in.u32(&count) || count > in.left() / 4) return fail("bad region cell count");
        std::vector<Region*> now;
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t cell = 0;
            (void)in.u32(&cell);
            if ((cell >> 24) >= lists.size()) return fail("bad region cell");
            auto x = static_cast<int32_t>(cell & 1023u), y = static_cast<int32_t>((cell >> 10) & 1023u);
            const std::vector<Region*>& want = lists[cell >> 24];
            now.clear();
            uint8_t set = map->region_grid ? tilegrid_get(map->region_grid, x, y) : 0;
            int32_t length = 0;
            Region* const* members = set ? mapdata_region_set(map, set, &length) : nullptr;
            now.assign(members, members + (members ? length : 0));
            // Leaving first keeps the cell's combinations small on the way.
            for (Region* r : now)
                if (std::find(want.begin(), want.end(), r) == want.end())
                    edit_region_cell(map, r, x, y, false);
            for (Region* r : want)
                if (std::find(now.begin(), now.end(), r) == now.end())
                    edit_region_cell(map, r, x, y, true);
        }
        return true;
    }
};

} // namespace

bool journal_apply_step(MapEdit map, std::span<const uint8_t> body, std::string* problem,
                        JournalTilesetCheck tileset_ok) {
    Replay replay{map, JournalCursor{body}, problem, tileset_ok};
    uint32_t changes = 0;
    if (!replay.in.u32(&changes) || changes > body.size()) return replay.fail("bad change count");
    edit_begin(map, "journal step");
    bool ok = true;
    for (uint32_t i = 0; ok && i < changes; ++i)
        ok = replay.change();
    ok = ok && replay.tiles() && replay.regions();
    if (ok && replay.in.left() != 0) ok = replay.fail("bytes after the step");
    edit_end(map);
    return ok;
}

