// edit.h - the one change path of a map, with its undo history.
//
// Every change to a loaded map (cells, objects, region membership, region records, attributes)
// is made through this module. It applies the change, records what it takes to reverse it,
// and moves MapData::revision on; views redraw because the revision changed, and the open
// map has unsaved changes while its revision differs from the one last loaded or saved.
// Nothing else may change a map after it was loaded: the history relies on finding the map as
// its last step left it.
//
// The history is not part of the map: its holder (the editor's Document, a test, a replay)
// keeps it beside the map in an EditedMap and hands both to the change path as a MapEdit.
//
// Steps. Changes are grouped into steps (one mouse stroke, one console command, one paste or
// fill); undo and redo walk whole steps. The caller opens a step with edit_begin and closes it
// with edit_end; a change made while no step is open is a step of its own, labelled "edit".
// The first change of a new step drops the steps that were undone (the redo steps).
//
// Records. A record holds the *other* state of what it changed: a cell's previous byte, an
// object that was removed (or one that was placed), the attribute table as it was. Undoing a
// step exchanges each record with the map's state, last record first; redoing exchanges them
// again, first record first. So a record just undone holds exactly what its redo needs.
//
// Revisions. Each change gives the map a revision number never used before; a step remembers
// the revision before its first change and after its last. Undo returns the map to the
// revision before the step and redo to the one after, so a revision always names one state:
// undoing back to the saved state gives the map the saved revision again.
//
// Memory. A changed cell costs 4 bytes: x (bits 0-9), y (bits 10-19), the layer (bit 20: tile
// grid or region grid) and the other byte (bits 24-31). An object placed or removed costs one
// 40-byte record, an attribute change one copy of the attribute table, a step about 120 bytes
// plus its label and at most 256 bytes of unused room for cells. The history keeps at most
// EditLimits (by default 256 MiB and 10,000 steps) and drops the oldest steps first.
//
// Region grid bytes name region sets; restoring a byte restores the cell's membership because
// sets are never emptied or reused within one set table. A new table (a rebuild that drops the
// sets no cell uses, or a deleted region) comes in as a change of its own that swaps the whole
// grid and table, so every recorded byte is put back into the table it was read from.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "map/model/mapdata.h"

struct Region;
struct Stamp;
struct EditHistory;
struct HashTable;
struct JournalStep;

// ---- The map and its history ---------------------------------------------------------------

// The owner of a map's undo history; the history refers to the map's grids, so it goes first.
struct EditHistoryFree {
    void operator()(EditHistory* history) const;
};
using EditHistoryPtr = std::unique_ptr<EditHistory, EditHistoryFree>;
// A new, empty history of map's changes.
[[nodiscard]] EditHistoryPtr edit_history_new(MapData* map);

// What the change path works on: a map and its history. Reads of the map go through it as
// through the map itself.
struct MapEdit {
    MapData* map = nullptr;
    EditHistory* history = nullptr;
    MapData* operator->() const { return map; }
    operator MapData*() const { return map; }
};

// A map and its history, owned together (the Document holds one): the history is released
// before the map it refers to, also when another map takes their place.
struct EditedMap {
    MapPtr map;
    EditHistoryPtr history;
    EditedMap() = default;
    explicit EditedMap(MapData* taken) : map(taken) {
        if (taken) history = edit_history_new(taken);
    }
    EditedMap(EditedMap&&) = default;
    EditedMap& operator=(EditedMap&& other) noexcept {
        history.reset();
        map = std::move(other.map);
        history = std::move(other.history);
        return *this;
    }
    ~EditedMap() { history.reset(); }
    // Takes another map (with a new history), releasing the one held.
    void reset(MapData* taken = nullptr) { *this = EditedMap(taken); }
    MapEdit edit() const { return {map.get(), history.get()}; }
    MapData* get() const { return map.get(); }
    MapData* operator->() const { return map.get(); }
    explicit operator bool() const { return map != nullptr; }
    operator MapEdit() const { return edit(); }
    operator MapData*() const { return map.get(); }
};
// The map is its owner's to free.
void mapdata_free(const EditedMap&) = delete;
void mapdata_free(MapEdit) = delete;

// ---- Steps ---------------------------------------------------------------------------------

// Opens a step whose label is the text undo and redo report ("stroke of 14 cells",
// "?insattr NAME"). A begin inside an open step only deepens it: the inner changes join the
// outer step and the outer label stays.
void edit_begin(MapEdit map, const char* label);
// Renames the open step; ignored when no step is open. The plain form costs no formatting.
void edit_set_label(MapEdit map, const char* label);
void edit_label(MapEdit map, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Closes one level of edit_begin. Closing the outermost level ends the step: storage the step
// emptied in the tile grid is released, and a step that changed something is kept (1) while
// an empty one is forgotten (0). Inner levels, and a call with no step open, return 0.
int edit_end(MapEdit map);
// True while a step is open.
bool edit_in_step(MapEdit map);

// ---- Tiles and objects ---------------------------------------------------------------------

// The paint operation of the brush: any object covering (x, y) is removed whole first (its
// square becomes 0); an object tile (216 to 220) then places a new object whose filler cells
// (250) are clipped at the map's edge. Cells outside 0..1023 and maps without a tile grid
// are left alone.
void edit_paint(MapEdit map, int32_t x, int32_t y, int tile);
// Removes an object of the map whole: its square's cells inside the map become 0.
void edit_remove_stamp(MapEdit map, Stamp* stamp);
// Records a new object's stamp at (x, y) without writing any cell, for tools that write its
// square themselves (anchor and filler cells, clipped at the map's edge). Returns the stamp.
Stamp* edit_add_stamp(MapEdit map, int32_t x, int32_t y, int tile);
// Removes, whole, every object for which pick returns true, in one walk of the stamp list:
// tools that clear large areas would otherwise search the list once per object.
void edit_remove_stamps(MapEdit map, bool (*pick)(const Stamp* stamp, void* user), void* user);
// Writes one raw tile byte with no object logic, for tools that keep objects whole
// themselves. Cells outside the map and writes of the value already there are ignored.
void edit_put_tile(MapEdit map, int32_t x, int32_t y, uint8_t value);

// A cell and a value packed for edit_put_tiles (x, y in 0..1023).
inline uint32_t edit_pack_cell(int32_t x, int32_t y, uint8_t value) {
    return (static_cast<uint32_t>(x) & 1023u) | (static_cast<uint32_t>(y) & 1023u) << 10 |
           uint32_t{value} << 24;
}
// Writes many raw tile bytes (packed with edit_pack_cell) in order, like edit_put_tile each.
// A change of all 1,048,576 cells is recorded in 4 MiB and undone in a few milliseconds.
void edit_put_tiles(MapEdit map, const uint32_t* cells, size_t count);
// Makes room in the open step for count more changed cells (saves regrowth in large changes).
void edit_reserve_cells(MapEdit map, size_t count);

// ---- Regions -------------------------------------------------------------------------------

// Makes cell (x, y) a member of region (member true) or not (false); the cell's membership in
// other regions stays. Returns 1 when the membership changed; 0 when it already was so, for
// cells outside the map, for no region, or when the region overlap limit kept the cell out
// even after the region sets no cell used any more were dropped.
int edit_region_cell(MapEdit map, Region* region, int32_t x, int32_t y, bool member);
// Flips the cell's membership of region; 1 when it changed.
int edit_region_toggle(MapEdit map, Region* region, int32_t x, int32_t y);

// ---- Attributes ----------------------------------------------------------------------------

// Stores key=value (the value text is copied): the first attribute whose key matches ignoring
// case gets the value, else a new attribute is added. Nothing for a missing key or value.
void edit_set_attribute(MapEdit map, const char* key, const char* value);
// Removes the first attribute whose key matches; 1 when one was removed.
int edit_remove_attribute(MapEdit map, const char* key);
// Gives the map the attribute table (owned from then on: values are mem_alloc texts).
void edit_replace_attributes(MapEdit map, HashTable* table);

// ---- Tileset -------------------------------------------------------------------------------

// Gives the map a tileset bitmap (bytes a tileset check accepted) as one change; with
// placeholder, the bytes only show the map and a save leaves the bitmap out (a map "without"
// tileset shows the built-in one). Returns 0, changing nothing, when the map already shows a
// placeholder and another is asked for.
int edit_set_tileset(MapEdit map, std::span<const uint8_t> bmp, bool placeholder);

// ---- Other changes -------------------------------------------------------------------------

// A change of a kind this module does not know (region create, rename, delete, properties),
// described by a payload that holds the state the change puts into the map. For example a
// region rename: the payload holds the region and the new name; swap exchanges the payload's
// name with the region's, so afterwards the payload holds the old name.
struct EditCustomOps {
    // Exchanges the state the payload holds with the map's. Called once by edit_custom to
    // apply the change, then once per undo and once per redo; must not fail. It may rely on
    // the map being exactly as right after the change (redo: right before it).
    void (*swap)(MapData* map, void* payload);
    // Releases the payload and whatever it holds at that moment, when its step leaves the
    // history: dropped as a redo step, cut as the oldest, or the history released (before
    // its map, while the map is still whole).
    void (*release)(MapData* map, void* payload);
    // Bytes the payload holds, counted against the history's memory bound; may be null.
    size_t (*bytes)(const void* payload);
    // Describes, for the edit journal, the state the change (or its undo or redo, just made)
    // put into the map (map/edit/journal.h). May be null: the journal then keeps the whole
    // map after such a step instead.
    void (*forward)(const MapData* map, const void* payload, JournalStep* out);
};
// Applies a change through ops->swap and records it; ops must outlive the map.
void edit_custom(MapEdit map, const EditCustomOps* ops, void* payload);

// ---- Undo and redo -------------------------------------------------------------------------

// Undoes the last step (ending an open step first). Returns 1 and points *label (when given)
// at the step's label, valid until the next edit call; 0 when there is nothing to undo.
int edit_undo(MapEdit map, const char** label);
// Redoes the step undone last; as edit_undo.
int edit_redo(MapEdit map, const char** label);
uint32_t edit_undo_count(MapEdit map);
uint32_t edit_redo_count(MapEdit map);

// ---- History bounds and lifetime -----------------------------------------------------------

struct EditLimits {
    size_t max_bytes;
    uint32_t max_steps;
};
inline constexpr EditLimits kEditDefaultLimits{size_t{256} << 20, 10000};
// New bounds, applied at the next step's end.
void edit_set_limits(MapEdit map, EditLimits limits);
// Bytes the closed steps of the history hold.
size_t edit_history_bytes(MapEdit map);
// True the first time it is asked after the history dropped its oldest steps (once per map).
bool edit_take_cut_notice(MapEdit map);

// ---- Observing finished steps --------------------------------------------------------------

// A record other than a cell, as a finished step applied it: an object placed at, or removed
// from, a place of the stamp list, or a custom change.
struct EditChange {
    const EditCustomOps* ops; // null for an object
    const void* payload;
    uint32_t index; // object: its place in the stamp list
    uint32_t anchor;
    uint16_t width, height;
    bool placed; // object: placed (true) or removed
};

// What a step just done, undone or redone touched, in the order it applied it. Cells are
// packed as edit_pack_cell with bit 20 set for the region grid; their byte is meaningless: the
// map holds the cell's state now. A cell may be listed more than once.
struct EditStepView {
    const uint32_t* cells;
    size_t cell_count;
    const EditChange* changes;
    size_t change_count;
    size_t undo_bytes; // what the step's undo record holds (its share of edit_history_bytes)
};
inline constexpr uint32_t kEditRegionLayer = 1u << 20;

// Called after every step that entered the history and after every undo and redo, with the map
// in its new state; the edit journal describes steps through it. One observer per map.
using EditObserver = void (*)(void* user, MapData* map, const EditStepView& step);
void edit_set_observer(MapEdit map, EditObserver observer, void* user);

// Places an object at place index of the stamp list (past the end: last) without writing any
// cell, and removes the object at place index, again leaving its cells: the journal's replay
// of what a step did to the stamp list.
void edit_insert_stamp_at(MapEdit map, uint32_t index, uint32_t anchor, uint16_t width,
                          uint16_t height);
void edit_remove_stamp_at(MapEdit map, uint32_t index);
