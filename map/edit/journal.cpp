// journal.cpp - describes finished steps as forward records, frames records and headers, and
// cuts a journal file back into records.
#include "map/edit/journal.h"

#include <sodium.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "core/hash.h"
#include "core/list.h"
#include "map/edit/edit.h"
#include "map/edit/journal_codec.h"
#include "map/model/elvl_chunk.h"
#include "map/model/mapdata.h"
#include "map/model/region.h"
#include "map/model/region_store.h"

namespace {

uint32_t region_index(const MapData* map, const Region* region) {
    uint32_t index = 0;
    for (const ListNode* node = map->region_order.head; node && node->data != region;
         node = node->next)
        ++index;
    return index;
}

void put_subchunks(JournalOut& out, const Region* region) {
    uint32_t count = region->subchunks ? static_cast<uint32_t>(region->subchunks->count) : 0;
    out.u32(count);
    for (const HashEntry* e = count ? region->subchunks->first_added : nullptr; e;
         e = e->added_next)
        out.bytes(e->value, 8 + elvl_chunk_length(e->value));
}

uint32_t crc_of(std::span<const uint8_t> bytes) {
    return static_cast<uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), bytes.data(), static_cast<uInt>(bytes.size())));
}

// Wraps the payload that starts at out[start + kJournalFrameBytes] in its frame.
void frame(std::vector<uint8_t>* out, size_t start) {
    std::span<const uint8_t> payload(out->data() + start + kJournalFrameBytes,
                                     out->size() - start - kJournalFrameBytes);
    put_u32_at(out->data() + start, static_cast<uint32_t>(payload.size()));
    put_u32_at(out->data() + start + 4, crc_of(payload));
}

void put_snapshot(JournalRecordKind kind, std::span<const uint8_t> lvl, std::vector<uint8_t>* out) {
    size_t start = out->size();
    out->resize(start + kJournalFrameBytes);
    out->push_back(kind);
    out->insert(out->end(), lvl.begin(), lvl.end());
    frame(out, start);
}

// The regions every described region cell belongs to now, as lists of region places.
void put_region_cells(JournalOut& out, const MapData* map, std::vector<uint32_t>& cells) {
    if (cells.empty()) {
        out.u32(0);
        out.u32(0);
        return;
    }
    std::sort(cells.begin(), cells.end());
    cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
    std::unordered_map<const Region*, uint32_t> places;
    uint32_t place = 0;
    for (const ListNode* node = map->region_order.head; node; node = node->next)
        places.emplace(static_cast<const Region*>(node->data), place++);
    // A cell names a list by the set it holds: at most 256 sets exist at a time.
    int16_t list_of_set[256];
    std::fill(std::begin(list_of_set), std::end(list_of_set), int16_t{-1});
    std::vector<std::vector<uint32_t>> lists;
    std::vector<uint32_t> packed;
    packed.reserve(cells.size());
    for (uint32_t cell : cells) {
        auto x = static_cast<int32_t>(cell & 1023u), y = static_cast<int32_t>(cell >> 10);
        uint8_t set = map->region_grid ? tilegrid_get(map->region_grid, x, y) : 0;
        if (list_of_set[set] < 0) {
            std::vector<uint32_t> list;
            int32_t length = 0;
            Region* const* members = set ? mapdata_region_set(map, set, &length) : nullptr;
            for (int32_t i = 0; members && i < length; ++i) {
                auto found = places.find(members[i]);
                // A region out of the map lists no cell (its departure took its cells along).
                if (found != places.end()) list.push_back(found->second);
            }
            list_of_set[set] = static_cast<int16_t>(lists.size());
            lists.push_back(std::move(list));
        }
        packed.push_back(cell | uint32_t(list_of_set[set]) << 24);
    }
    out.u32(static_cast<uint32_t>(lists.size()));
    for (const auto& list : lists) {
        out.u32(static_cast<uint32_t>(list.size()));
        for (uint32_t r : list)
            out.u32(r);
    }
    out.u32(static_cast<uint32_t>(packed.size()));
    for (uint32_t p : packed)
        out.u32(p);
}

} // namespace

void journal_put_attributes(JournalStep* step, const HashTable* attributes) {
    JournalOut out{&step->changes};
    ++step->change_count;
    out.u8(JC_ATTRIBUTES);
    out.u32(attributes ? static_cast<uint32_t>(attributes->count) : 0);
    if (!attributes) return;
    // The visiting order is the order a save writes them; a table built by adding in this
    // order visits them the same way.
    hash_foreach_settled(
        attributes,
        [](const char* key, void* value, void* user) {
            JournalOut* o = static_cast<JournalOut*>(user);
            o->text(key);
            o->text(static_cast<const char*>(value));
            return 0;
        },
        &out);
}

void journal_put_region_name(JournalStep* step, const MapData* map, const Region* region) {
    JournalOut out{&step->changes};
    ++step->change_count;
    out.u8(JC_REGION_NAME);
    out.u32(region_index(map, region));
    out.text(region->name);
}

void journal_put_region_subchunks(JournalStep* step, const MapData* map, const Region* region) {
    JournalOut out{&step->changes};
    ++step->change_count;
    out.u8(JC_REGION_SUBCHUNKS);
    out.u32(region_index(map, region));
    put_subchunks(out, region);
}

void journal_put_region_arrival(JournalStep* step, const Region* region, uint32_t index) {
    JournalOut out{&step->changes};
    ++step->change_count;
    out.u8(JC_REGION_ARRIVAL);
    out.u32(index);
    out.text(region->name);
    put_subchunks(out, region);
    // Its cells as runs along rows, found through the membership grid: the step put the region
    // (and, for an undone deletion, its cells) back before it is described.
    std::vector<uint32_t> cells;
    if (const TileGrid* grid = region->owner->region_grid)
        tilegrid_for_each_set(grid, [&](int32_t x, int32_t y, uint8_t) {
            if (region_contains(region, x, y)) cells.push_back(uint32_t(y) << 10 | uint32_t(x));
        });
    std::sort(cells.begin(), cells.end());
    std::vector<std::pair<uint32_t, uint16_t>> runs;
    for (uint32_t cell : cells)
        if (!runs.empty() && runs.back().first + runs.back().second == cell &&
            (cell & 1023u) != 0)
            ++runs.back().second;
        else
            runs.emplace_back(cell, uint16_t{1});
    out.u32(static_cast<uint32_t>(runs.size()));
    for (const auto& [start, length] : runs) {
        out.u32(start);
        out.u16(length);
    }
}

void journal_put_region_departure(JournalStep* step, uint32_t index) {
    JournalOut out{&step->changes};
    ++step->change_count;
    out.u8(JC_REGION_DEPARTURE);
    out.u32(index);
}

void journal_put_tileset(JournalStep* step, const MapData* map) {
    JournalOut out{&step->changes};
    ++step->change_count;
    out.u8(JC_TILESET);
    out.u32(map->tileset ? map->tileset_length : 0);
    if (map->tileset) out.bytes(map->tileset, map->tileset_length);
    out.u8(map->tileset_placeholder ? 1 : 0);
}

size_t journal_plain_step_room(const EditStepView& view) {
    return kJournalFrameBytes + 9 + 13 * view.change_count + 4 * view.cell_count + 8;
}

size_t journal_encode_plain_step(const MapData* map, const EditStepView& view, uint8_t* out) {
    // Locals, not the view's fields: the byte stores below may alias anything, so fields
    // would be read again for every cell.
    const uint32_t* cells = view.cells;
    const size_t cell_count = view.cell_count;
    const EditChange* changes = view.changes;
    const size_t change_count = view.change_count;
    const TileGrid* grid = map->tiles;
    if (!grid && cell_count) return 0;
    uint8_t* p = out + kJournalFrameBytes;
    *p++ = JOURNAL_STEP;
    put_u32_at(p, static_cast<uint32_t>(change_count));
    p += 4;
    for (size_t i = 0; i < change_count; ++i) {
        const EditChange& c = changes[i];
        if (c.ops) return 0;
        *p++ = c.placed ? JC_OBJECT_PLACED : JC_OBJECT_REMOVED;
        put_u32_at(p, c.index);
        p += 4;
        if (!c.placed) continue;
        put_u32_at(p, c.anchor);
        p[4] = static_cast<uint8_t>(c.width), p[5] = static_cast<uint8_t>(c.width >> 8);
        p[6] = static_cast<uint8_t>(c.height), p[7] = static_cast<uint8_t>(c.height >> 8);
        p += 8;
    }
    put_u32_at(p, static_cast<uint32_t>(cell_count));
    p += 4;
    // Absent storage reads as zeros; the 8 x 8 area the last cell fell in is looked up again
    // only when a cell leaves it (strokes stay in one for a while).
    static constexpr TileSubBlock kEmpty{};
    const TileSubBlock* sub = &kEmpty;
    uint32_t sub_key = ~0u, layers = 0;
    for (size_t i = 0; i < cell_count; ++i) {
        uint32_t cell = cells[i];
        layers |= cell;
        uint32_t key = cell & (0xFFFFFu & ~(7u | 7u << 10));
        if (key != sub_key) [[unlikely]] {
            auto x = static_cast<int32_t>(cell & 1023u), y = static_cast<int32_t>(cell >> 10 & 1023u);
            const TileBlock* block = grid->blocks[tilegrid_block_index(x, y)];
            const TileSubBlock* found = block ? block->sub[tilegrid_sub_index(x, y)] : nullptr;
            sub = found ? found : &kEmpty;
            sub_key = key;
        }
        uint8_t value = sub->cells[(cell & 7u) << 3 | (cell >> 10 & 7u)];
        put_u32_at(p, (cell & 0xFFFFFu) | uint32_t{value} << 24);
        p += 4;
    }
    // Region cells take the general encoding (the bytes laid out so far are dropped).
    if (layers & kEditRegionLayer) return 0;
    // No region cells: no region lists, none of their cells.
    put_u32_at(p, 0);
    put_u32_at(p + 4, 0);
    p += 8;
    put_u32_at(out, static_cast<uint32_t>(p - out - kJournalFrameBytes));
    return static_cast<size_t>(p - out);
}

bool journal_encode_step(const MapData* map, const EditStepView& view, std::vector<uint8_t>* out,
                         bool seal) {
    size_t start = out->size();
    // Most steps change only tiles and objects: laid out in place, in one pass.
    out->resize(start + journal_plain_step_room(view));
    if (size_t length = journal_encode_plain_step(map, view, out->data() + start)) {
        out->resize(start + length);
        if (seal) frame(out, start);
        return true;
    }
    out->resize(start);
    JournalStep step;
    JournalOut changes{&step.changes};
    for (size_t i = 0; i < view.change_count && !step.whole_map; ++i) {
        const EditChange& c = view.changes[i];
        if (c.ops) {
            if (c.ops->forward)
                c.ops->forward(map, c.payload, &step);
            else
                step.whole_map = true;
            continue;
        }
        ++step.change_count;
        changes.u8(c.placed ? JC_OBJECT_PLACED : JC_OBJECT_REMOVED);
        changes.u32(c.index);
        if (!c.placed) continue;
        changes.u32(c.anchor);
        changes.u16(c.width);
        changes.u16(c.height);
    }
    if (step.whole_map) return false;
    JournalOut o{out};
    o.u32(0); // the frame, filled in below
    o.u32(0);
    o.u8(JOURNAL_STEP);
    o.u32(step.change_count);
    o.bytes(step.changes.data(), step.changes.size());
    size_t count_at = out->size();
    o.u32(0);
    uint32_t tile_cells = 0;
    for (size_t i = 0; i < view.cell_count; ++i) {
        uint32_t cell = view.cells[i];
        if (cell & kEditRegionLayer) {
            step.region_cells.push_back(cell & 0xFFFFFu);
            continue;
        }
        auto x = static_cast<int32_t>(cell & 1023u), y = static_cast<int32_t>((cell >> 10) & 1023u);
        o.u32((cell & 0xFFFFFu) | uint32_t(mapdata_get_tile(map, x, y)) << 24);
        ++tile_cells;
    }
    put_u32_at(out->data() + count_at, tile_cells);
    put_region_cells(o, map, step.region_cells);
    if (seal)
        frame(out, start);
    else
        put_u32_at(out->data() + start, static_cast<uint32_t>(out->size() - start - kJournalFrameBytes));
    return true;
}

void journal_encode_map(JournalRecordKind kind, std::span<const uint8_t> lvl,
                        std::vector<uint8_t>* out) {
    put_snapshot(kind, lvl, out);
}

void journal_hash(std::span<const uint8_t> bytes, uint8_t out[kJournalHashBytes]) {
    crypto_generichash(out, kJournalHashBytes, bytes.data(), bytes.size(), nullptr, 0);
}

void journal_encode_header(const JournalHeader& header, std::vector<uint8_t>* out) {
    out->insert(out->end(), std::begin(kJournalMagic), std::end(kJournalMagic));
    JournalOut o{out};
    o.u32(header.version);
    size_t start = out->size();
    out->resize(start + kJournalFrameBytes);
    o.text(header.path.c_str());
    o.u64(header.size);
    o.u64(static_cast<uint64_t>(header.mtime_ns));
    o.bytes(header.hash, kJournalHashBytes);
    o.u8(header.base);
    frame(out, start);
}

JournalContents journal_parse(std::span<const uint8_t> bytes) {
    JournalContents result;
    JournalCursor in{bytes};
    std::span<const uint8_t> magic;
    if (!in.take(sizeof kJournalMagic, &magic) ||
        std::memcmp(magic.data(), kJournalMagic, sizeof kJournalMagic) != 0) {
        result.problem = "not an edit journal";
        return result;
    }
    uint32_t version = 0, length = 0, crc = 0;
    if (!in.u32(&version)) {
        result.problem = "the header is cut short";
        return result;
    }
    if (version != kJournalVersion) {
        result.status = JOURNAL_UNKNOWN_FORMAT;
        result.problem = "journal format " + std::to_string(version) + ", this build reads " +
                         std::to_string(kJournalVersion);
        return result;
    }
    std::span<const uint8_t> payload;
    if (!in.u32(&length) || !in.u32(&crc) || !in.take(length, &payload) || crc_of(payload) != crc) {
        result.problem = "the header is damaged";
        return result;
    }
    JournalCursor h{payload};
    std::string path;
    uint64_t mtime = 0;
    std::span<const uint8_t> hash;
    uint8_t base = 0;
    if (!h.text(&path) || !h.u64(&result.header.size) || !h.u64(&mtime) ||
        !h.take(kJournalHashBytes, &hash) || !h.u8(&base) || base > JOURNAL_BASE_WORK ||
        h.left() != 0) {
        result.problem = "the header does not decode";
        return result;
    }
    result.header.version = version;
    result.header.path = std::move(path);
    result.header.mtime_ns = static_cast<int64_t>(mtime);
    std::memcpy(result.header.hash, hash.data(), kJournalHashBytes);
    result.header.base = static_cast<JournalBaseKind>(base);
    result.status = JOURNAL_OK;
    // Records up to the first that is cut short or fails its checksum: a crash tears only the
    // end, and nothing after a bad record is trusted.
    while (in.left() > 0) {
        size_t at = in.left();
        std::span<const uint8_t> record;
        uint8_t kind = 0;
        if (!in.u32(&length) || !in.u32(&crc) || length == 0 || !in.take(length, &record) ||
            crc_of(record) != crc || (kind = record[0]) < JOURNAL_BASE || kind > JOURNAL_STEP_MAP) {
            result.dropped_bytes = at;
            break;
        }
        result.records.push_back({static_cast<JournalRecordKind>(kind), record.subspan(1)});
    }
    return result;
}

size_t JournalContents::last_base() const {
    for (size_t i = records.size(); i-- > 0;)
        if (records[i].kind == JOURNAL_BASE) return i;
    return records.size();
}

uint32_t JournalContents::steps() const {
    size_t base = last_base();
    return base >= records.size() ? 0 : static_cast<uint32_t>(records.size() - base - 1);
}

bool JournalContents::replays_on_file() const {
    if (header.base != JOURNAL_BASE_FILE || last_base() != 0) return false;
    for (const JournalRecord& record : records)
        if (record.kind == JOURNAL_STEP_MAP) return false;
    return true;
}

bool JournalContents::holds_work() const {
    size_t base = last_base();
    if (base >= records.size()) return false;
    return steps() > 0 || base > 0 || header.base == JOURNAL_BASE_WORK;
}

size_t journal_rebuild_start(const JournalContents& journal) {
    for (size_t i = journal.records.size(); i-- > 0;)
        if (journal.records[i].kind != JOURNAL_STEP) return i;
    return journal.records.size();
}

void journal_seal(std::span<uint8_t> records) {
    while (records.size() >= kJournalFrameBytes) {
        uint32_t length = uint32_t{records[0]} | uint32_t{records[1]} << 8 |
                          uint32_t{records[2]} << 16 | uint32_t{records[3]} << 24;
        if (length > records.size() - kJournalFrameBytes) return;
        put_u32_at(records.data() + 4, crc_of(records.subspan(kJournalFrameBytes, length)));
        records = records.subspan(kJournalFrameBytes + length);
    }
}
