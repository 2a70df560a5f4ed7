// edit.cpp - applies changes to a map, records their inverses in steps, undoes and redoes.
#include "map/edit/edit.h"
#include "map/model/model_raw.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "core/list.h"
#include "core/mem.h"
#include "map/model/mapdata.h"
#include "map/model/region.h"
#include "map/edit/region_edit.h"
#include "map/model/stamp.h"

namespace {

constexpr uint32_t kRegionLayer = kEditRegionLayer;
// Cell records a step makes room for at its first cell; a closed step keeps at most this much
// room unused.
constexpr size_t kFirstCells = 64;

enum : uint8_t { OP_STAMP, OP_CUSTOM };

// A record other than a cell: an object placed or removed, or a custom change.
struct Op {
    uint32_t cells_before; // cell records of the step made before this one
    uint8_t kind;
    bool present; // OP_STAMP: the object is in the stamp list now
    uint16_t width, height;
    uint32_t anchor;
    uint32_t index; // OP_STAMP: its place in the stamp list
    const EditCustomOps* ops;
    void* payload;
};

struct Step {
    std::vector<uint32_t> cells; // packed cell records, in the order they were made
    std::vector<Op> ops;
    std::string label;
    uint64_t revision_before = 0;
    uint64_t revision_after = 0;
    bool compact = false; // a tile went to or from 0: release emptied storage afterwards
    size_t bytes = 0;
};

} // namespace

struct EditHistory {
    MapData* map; // the map whose changes these are
    std::deque<Step> steps;
    size_t done = 0; // steps[0, done) can be undone, steps[done, end) redone
    Step open;
    int depth = 0;
    bool open_changed = false;
    bool call_changed = false; // the public call under way changed something
    size_t bytes = 0;
    EditLimits limits = kEditDefaultLimits;
    bool cut = false;
    bool cut_told = false;
    EditObserver observer = nullptr;
    void* observer_user = nullptr;
};

namespace {

inline EditHistory* history_of(MapEdit map) {
    return map.history;
}

void release_step(MapData* map, Step& step) {
    for (Op& op : step.ops)
        if (op.kind == OP_CUSTOM && op.ops->release) op.ops->release(map, op.payload);
    step.ops.clear();
}

void drop_redo_steps(MapData* map, EditHistory* h) {
    while (h->steps.size() > h->done) {
        release_step(map, h->steps.back());
        h->bytes -= h->steps.back().bytes;
        h->steps.pop_back();
    }
}

// Called for every change: the first change of a step drops the redo steps.
inline void touch(MapData* map, EditHistory* h) {
    if (!h->open_changed) [[unlikely]] {
        h->open_changed = true;
        drop_redo_steps(map, h);
        h->open.revision_before = map->revision;
    }
    h->call_changed = true;
}

// Wraps each public change: opens an implicit step for a change made outside any step, and
// when the call changed something gives the map a revision never used before (also past
// revisions set by others).
struct Scope {
    MapEdit map;
    EditHistory* h;
    bool own;
    explicit Scope(MapEdit m) : map(m), h(history_of(m)), own(h->depth == 0) {
        if (own) edit_begin(m, "edit");
    }
    ~Scope() {
        if (h->call_changed) {
            h->call_changed = false;
            mapdata_touch(map);
        }
        if (own) edit_end(map);
    }
};

bool inside_map(int32_t x, int32_t y) {
    return x >= 0 && x < 1024 && y >= 0 && y < 1024;
}

// Writes one byte of a grid and records the byte it replaced.
void put_cell(MapData* map, EditHistory* h, uint32_t layer, int32_t x, int32_t y, uint8_t value) {
    TileGrid* grid = layer ? map->region_grid : map->tiles;
    // One storage lookup; a write of the value already there must not make storage.
    const TileBlock* block = grid->blocks[tilegrid_block_index(x, y)];
    TileSubBlock* sub = block ? block->sub[tilegrid_sub_index(x, y)] : nullptr;
    uint8_t old = sub ? sub->cells[tilegrid_cell_index(x, y)] : 0;
    if (old == value) return;
    if (!sub) sub = tilegrid_make_sub(grid, x, y);
    sub->cells[tilegrid_cell_index(x, y)] = value;
    touch(map, h);
    std::vector<uint32_t>& cells = h->open.cells;
    // Room for a short stroke at once: growing one by one would reallocate six times.
    if (cells.capacity() == 0) cells.reserve(kFirstCells);
    cells.push_back(edit_pack_cell(x, y, old) | layer);
    if (!layer && (old == 0 || value == 0)) h->open.compact = true;
}

// Exchanges a cell record's byte with the grid's.
inline void swap_cell(MapData* map, uint32_t& record) {
    TileGrid* grid = (record & kRegionLayer) ? map->region_grid : map->tiles;
    auto x = static_cast<int32_t>(record & 1023u), y = static_cast<int32_t>((record >> 10) & 1023u);
    uint8_t& cell = tilegrid_sub_for_write(grid, x, y)->cells[tilegrid_cell_index(x, y)];
    uint8_t now = cell;
    cell = static_cast<uint8_t>(record >> 24);
    record = (record & 0x00FFFFFFu) | uint32_t{now} << 24;
}

void swap_op(MapData* map, Op& op) {
    if (op.kind == OP_CUSTOM) {
        op.ops->swap(map, op.payload);
        return;
    }
    if (op.present)
        stamp_delete(map, op.index);
    else
        stamp_insert(map, op.index, Stamp{op.anchor, op.width, op.height});
    op.present = !op.present;
}

uint32_t stamp_index(const MapData* map, const Stamp* stamp) {
    return static_cast<uint32_t>(stamp - map->stamps.items);
}

void record_stamp(EditHistory* h, const Stamp* stamp, uint32_t index, bool present) {
    Op op{};
    op.cells_before = static_cast<uint32_t>(h->open.cells.size());
    op.kind = OP_STAMP;
    op.present = present;
    op.width = stamp->width;
    op.height = stamp->height;
    op.anchor = stamp->anchor;
    op.index = index;
    h->open.ops.push_back(op);
}

void remove_stamp(MapData* map, EditHistory* h, Stamp* stamp) {
    uint32_t ax = stamp->anchor & 0xFFFu, ay = (stamp->anchor >> 12) & 0xFFFu;
    // Cells past column or row 1023 are not part of the map: an object at the edge never
    // reaches round to the opposite side.
    for (uint32_t i = 0; i < stamp->width && ax + i < 1024; ++i)
        for (uint32_t j = 0; j < stamp->height && ay + j < 1024; ++j)
            put_cell(map, h, 0, static_cast<int32_t>(ax + i), static_cast<int32_t>(ay + j), 0);
    touch(map, h);
    uint32_t index = stamp_index(map, stamp);
    record_stamp(h, stamp, index, false);
    stamp_delete(map, index);
}

void paint_cell(MapData* map, EditHistory* h, int32_t x, int32_t y, int tile) {
    if (Stamp* covering = stamp_find(map, x, y, nullptr)) remove_stamp(map, h, covering);
    if (is_object_tile(tile)) {
        int n = object_size(tile);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                if ((i || j) && inside_map(x + i, y + j))
                    paint_cell(map, h, x + i, y + j, TILE_FILLER);
        // Added after the filler paints, so that they never find the new object.
        touch(map, h);
        Stamp* stamp = stamp_add(map, x, y, tile);
        record_stamp(h, stamp, map->stamps.count - 1, true);
    }
    put_cell(map, h, 0, x, y, static_cast<uint8_t>(tile));
}

size_t step_bytes(const Step& step) {
    size_t bytes =
        sizeof(Step) + step.cells.capacity() * sizeof(uint32_t) + step.ops.capacity() * sizeof(Op);
    if (step.label.capacity() > 15) bytes += step.label.capacity() + 1;
    for (const Op& op : step.ops)
        if (op.kind == OP_CUSTOM && op.ops->bytes) bytes += op.ops->bytes(op.payload);
    return bytes;
}

// Drops the oldest steps until the history is within its bounds.
void enforce_limits(MapData* map, EditHistory* h) {
    while (!h->steps.empty() &&
           (h->steps.size() > h->limits.max_steps || h->bytes > h->limits.max_bytes)) {
        release_step(map, h->steps.front());
        h->bytes -= h->steps.front().bytes;
        h->steps.pop_front();
        if (h->done > 0) --h->done;
        h->cut = true;
    }
}

// Tells the observer what a step just applied: its records in the order of application.
void notify(MapData* map, EditHistory* h, const Step& step, bool backwards) {
    if (!h->observer) return;
    std::vector<EditChange> changes;
    if (!step.ops.empty()) changes.reserve(step.ops.size());
    auto add = [&](const Op& op) {
        EditChange c{};
        if (op.kind == OP_CUSTOM) {
            c.ops = op.ops;
            c.payload = op.payload;
        } else {
            c.index = op.index;
            c.anchor = op.anchor;
            c.width = op.width;
            c.height = op.height;
            c.placed = op.present;
        }
        changes.push_back(c);
    };
    if (backwards)
        for (size_t k = step.ops.size(); k-- > 0;)
            add(step.ops[k]);
    else
        for (const Op& op : step.ops)
            add(op);
    h->observer(h->observer_user, map,
                EditStepView{step.cells.data(), step.cells.size(), changes.data(), changes.size(),
                             step.bytes});
}

// Exchanges every record of a step with the map: backwards to undo, forwards to redo.
void swap_step(MapData* map, Step& step, bool backwards) {
    std::vector<uint32_t>& cells = step.cells;
    if (backwards) {
        size_t i = cells.size();
        for (size_t k = step.ops.size(); k-- > 0;) {
            for (; i > step.ops[k].cells_before; --i)
                swap_cell(map, cells[i - 1]);
            swap_op(map, step.ops[k]);
        }
        for (; i > 0; --i)
            swap_cell(map, cells[i - 1]);
    } else {
        size_t i = 0;
        for (Op& op : step.ops) {
            for (; i < op.cells_before; ++i)
                swap_cell(map, cells[i]);
            swap_op(map, op);
        }
        for (; i < cells.size(); ++i)
            swap_cell(map, cells[i]);
    }
    if (step.compact && map->tiles) tilegrid_compact(map->tiles);
}

} // namespace

void edit_begin(MapEdit map, const char* label) {
    EditHistory* h = history_of(map);
    if (h->depth++ > 0) return;
    h->open = Step{};
    h->open.label = label ? label : "";
    h->open_changed = false;
}

void edit_set_label(MapEdit map, const char* label) {
    if (edit_in_step(map)) map.history->open.label.assign(label ? label : "");
}

void edit_label(MapEdit map, const char* format, ...) {
    if (!edit_in_step(map)) return;
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    map.history->open.label = text;
}

int edit_end(MapEdit map) {
    EditHistory* h = map.history;
    if (!h || h->depth == 0 || --h->depth > 0) return 0;
    Step step = std::move(h->open);
    h->open = Step{};
    if (!h->open_changed) return 0;
    h->open_changed = false;
    if (step.compact && map->tiles) tilegrid_compact(map->tiles);
    step.revision_after = map->revision;
    if (step.cells.capacity() - step.cells.size() > kFirstCells) step.cells.shrink_to_fit();
    step.ops.shrink_to_fit();
    step.bytes = step_bytes(step);
    h->bytes += step.bytes;
    h->steps.push_back(std::move(step));
    h->done = h->steps.size();
    notify(map, h, h->steps.back(), false);
    enforce_limits(map, h);
    return 1;
}

bool edit_in_step(MapEdit map) {
    return map.history && map.history->depth > 0;
}

void edit_paint(MapEdit map, int32_t x, int32_t y, int tile) {
    if (!map || !map->tiles || !inside_map(x, y)) return;
    Scope scope(map);
    paint_cell(map, scope.h, x, y, tile & 0xFF);
}

void edit_remove_stamp(MapEdit map, Stamp* stamp) {
    if (!map || !stamp || !map->tiles) return;
    Scope scope(map);
    remove_stamp(map, scope.h, stamp);
}

Stamp* edit_add_stamp(MapEdit map, int32_t x, int32_t y, int tile) {
    if (!map || !map->tiles || !inside_map(x, y)) return nullptr;
    Scope scope(map);
    EditHistory* h = scope.h;
    touch(map, h);
    Stamp* stamp = stamp_add(map, x, y, tile & 0xFF);
    record_stamp(h, stamp, map->stamps.count - 1, true);
    return stamp;
}

void edit_remove_stamps(MapEdit map, bool (*pick)(const Stamp* stamp, void* user), void* user) {
    if (!map || !map->tiles || !pick || map->stamps.count == 0) return;
    Scope scope(map);
    struct Removal {
        MapData* map;
        EditHistory* h;
        bool (*pick)(const Stamp* stamp, void* user);
        void* user;
    } removal{map, scope.h, pick, user};
    // One pass over the objects: each record's index is its place as the list stood then.
    stamp_delete_where(
        map,
        [](const Stamp& stamp, uint32_t index, void* data) {
            auto* r = static_cast<Removal*>(data);
            if (!r->pick(&stamp, r->user)) return false;
            uint32_t ax = stamp.anchor & 0xFFFu, ay = (stamp.anchor >> 12) & 0xFFFu;
            for (uint32_t i = 0; i < stamp.width && ax + i < 1024; ++i)
                for (uint32_t j = 0; j < stamp.height && ay + j < 1024; ++j)
                    put_cell(r->map, r->h, 0, static_cast<int32_t>(ax + i),
                             static_cast<int32_t>(ay + j), 0);
            touch(r->map, r->h);
            record_stamp(r->h, &stamp, index, false);
            return true;
        },
        &removal);
}

void edit_put_tile(MapEdit map, int32_t x, int32_t y, uint8_t value) {
    if (!map || !map->tiles || !inside_map(x, y)) return;
    Scope scope(map);
    put_cell(map, scope.h, 0, x, y, value);
}

void edit_put_tiles(MapEdit map, const uint32_t* cells, size_t count) {
    if (!map || !map->tiles || count == 0) return;
    Scope scope(map);
    EditHistory* h = scope.h;
    for (size_t i = 0; i < count; ++i)
        put_cell(map, h, 0, static_cast<int32_t>(cells[i] & 1023u),
                 static_cast<int32_t>((cells[i] >> 10) & 1023u),
                 static_cast<uint8_t>(cells[i] >> 24));
}

void edit_reserve_cells(MapEdit map, size_t count) {
    if (!edit_in_step(map)) return;
    std::vector<uint32_t>& cells = map.history->open.cells;
    cells.reserve(cells.size() + count);
}

int edit_region_cell(MapEdit map, Region* region, int32_t x, int32_t y, bool member) {
    if (!map || !region || !inside_map(x, y)) return 0;
    if ((region_contains(region, x, y) != 0) == member) return 0;
    Scope scope(map);
    mapdata_init_region_store(map);
    // A second try after a rebuild that freed the region sets no cell uses any more.
    for (int attempt = 0; attempt < 2; ++attempt) {
        uint8_t old = tilegrid_get(map->region_grid, x, y);
        // Refused at the overlap limit, which leaves the cell as it was. The revision the
        // region module gives the change is taken back: the step counts it, as every change.
        uint64_t revision = map->revision;
        region_set_tile(region, x, y, member ? 1 : 0);
        map->revision = revision;
        uint8_t now = tilegrid_get(map->region_grid, x, y);
        if (now != old) {
            // Within one set table the byte alone brings the old membership back.
            tilegrid_put(map->region_grid, x, y, old);
            put_cell(map, scope.h, kRegionLayer, x, y, now);
            return 1;
        }
        if (attempt == 0 && !edit_region_sets_compact(map)) break;
    }
    return 0;
}

int edit_region_toggle(MapEdit map, Region* region, int32_t x, int32_t y) {
    return edit_region_cell(map, region, x, y, !region_contains(region, x, y));
}

void edit_custom(MapEdit map, const EditCustomOps* ops, void* payload) {
    if (!map || !ops) return;
    Scope scope(map);
    EditHistory* h = scope.h;
    touch(map, h);
    ops->swap(map, payload);
    Op op{};
    op.cells_before = static_cast<uint32_t>(h->open.cells.size());
    op.kind = OP_CUSTOM;
    op.ops = ops;
    op.payload = payload;
    h->open.ops.push_back(op);
}

static int walk(MapEdit map, const char** label, bool back) {
    if (!map || !map.history) return 0;
    EditHistory* h = map.history;
    // An open step ends first, so that it is what gets undone.
    if (h->depth > 0) {
        h->depth = 1;
        edit_end(map);
    }
    if (back ? h->done == 0 : h->done == h->steps.size()) return 0;
    Step& step = h->steps[back ? h->done - 1 : h->done];
    swap_step(map, step, back);
    map->revision = back ? step.revision_before : step.revision_after;
    if (back)
        --h->done;
    else
        ++h->done;
    if (label) *label = step.label.c_str();
    notify(map, h, step, back);
    return 1;
}

void edit_set_observer(MapEdit map, EditObserver observer, void* user) {
    EditHistory* h = history_of(map);
    h->observer = observer;
    h->observer_user = user;
}

void edit_insert_stamp_at(MapEdit map, uint32_t index, uint32_t anchor, uint16_t width,
                          uint16_t height) {
    if (!map || !map->tiles) return;
    Scope scope(map);
    touch(map, scope.h);
    index = std::min(index, map->stamps.count);
    Stamp stamp{anchor, width, height};
    stamp_insert(map, index, stamp);
    record_stamp(scope.h, &stamp, index, true);
}

void edit_remove_stamp_at(MapEdit map, uint32_t index) {
    if (!map || !map->tiles || index >= map->stamps.count) return;
    Scope scope(map);
    touch(map, scope.h);
    record_stamp(scope.h, &map->stamps.items[index], index, false);
    stamp_delete(map, index);
}

int edit_undo(MapEdit map, const char** label) {
    return walk(map, label, true);
}

int edit_redo(MapEdit map, const char** label) {
    return walk(map, label, false);
}

uint32_t edit_undo_count(MapEdit map) {
    return map && map.history ? static_cast<uint32_t>(map.history->done) : 0;
}

uint32_t edit_redo_count(MapEdit map) {
    if (!map || !map.history) return 0;
    return static_cast<uint32_t>(map.history->steps.size() - map.history->done);
}

void edit_set_limits(MapEdit map, EditLimits limits) {
    history_of(map)->limits = limits;
}

size_t edit_history_bytes(MapEdit map) {
    return map && map.history ? map.history->bytes : 0;
}

bool edit_take_cut_notice(MapEdit map) {
    EditHistory* h = map ? map.history : nullptr;
    if (!h || !h->cut || h->cut_told) return false;
    h->cut_told = true;
    return true;
}

EditHistoryPtr edit_history_new(MapData* map) {
    auto* h = new EditHistory;
    h->map = map;
    return EditHistoryPtr(h);
}

void EditHistoryFree::operator()(EditHistory* h) const {
    if (!h) return;
    release_step(h->map, h->open);
    for (Step& step : h->steps)
        release_step(h->map, step);
    delete h;
}
