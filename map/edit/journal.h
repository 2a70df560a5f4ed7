// journal.h - the edit journal's format: each finished step (undo and redo included) as a
// forward record that replays it, and the file that holds one map's records.
//
// Forward records. The history keeps what a step replaced; the journal keeps what it put in,
// so that replaying its records in order on the state the journal started from rebuilds the
// map. A step record lists, in the order the step applied them, its changes other than cells
// (objects placed at or removed from a place of the stamp list, and custom changes: the
// attribute table, a region's name, sub-chunks, arrival or departure, the tileset), then the
// new byte of every tile cell it touched, then the regions every region cell it touched now
// belongs to. Cells carry their new state, not a change, so a cell listed once holds whatever
// the step did to it. Region membership is written as lists of regions (their places in the
// map's region order), never as region-set numbers: the set table a replay builds may number
// its sets otherwise, and the regions a cell belongs to are what a saved file keeps.
// A step the journal cannot describe (a custom change without a forward function) is kept as
// the whole map after it: the lvl bytes a save would write, laid out by the caller (this module
// knows the model, not the file format).
//
// Replay goes through the change path (map/edit), so a replay is one undoable step when the
// caller opens one around it, and every byte read is bounded by a cursor that knows what is
// left: a damaged record is refused with a reason, never read past its end.
//
// The file. A header (magic, format version, then the map's real path and the size,
// modification time and BLAKE2b-256 hash of the bytes loaded or last saved, and what the first
// base holds) followed by records: length, CRC-32 of the payload,
// payload. The first record is always a snapshot of the state the journal starts from. A
// reader keeps the records up to the first one that is cut short or fails its checksum and
// drops the rest: an append torn by a crash is never applied.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "map/edit/edit.h"

struct EditStepView;
struct HashTable;
struct MapData;
struct Region;

inline constexpr uint32_t kJournalVersion = 1;
inline constexpr char kJournalMagic[8] = {'O', 'S', 'T', 'R', 'J', 'R', 'N', 'L'};
inline constexpr size_t kJournalHashBytes = 32;
// Bytes of framing in front of each record's payload: length and checksum.
inline constexpr size_t kJournalFrameBytes = 8;

enum JournalRecordKind : uint8_t {
    JOURNAL_BASE = 1,     // the lvl bytes of the state the records after it start from
    JOURNAL_STEP = 2,     // one step's forward record
    JOURNAL_STEP_MAP = 3, // one step the journal could not describe: the whole map after it
};

// The forward record of one step while it is described. Custom changes add to it through
// their forward functions (map/edit/edit.h, EditCustomOps::forward) with the calls below.
struct JournalStep {
    std::vector<uint8_t> changes;       // encoded changes other than cells, in order
    uint32_t change_count = 0;
    std::vector<uint32_t> region_cells; // x | y << 10 of region cells to describe
    bool whole_map = false;             // a change could not be described
};

// The attribute table as it is now (null: none), in its visiting order.
void journal_put_attributes(JournalStep* out, const HashTable* attributes);
// A region of the map (its place in the region order) and its name now.
void journal_put_region_name(JournalStep* out, const MapData* map, const Region* region);
// A region of the map and its sub-chunk table now.
void journal_put_region_subchunks(JournalStep* out, const MapData* map, const Region* region);
// A region that joined the map at place index (with its name, sub-chunks and cells as runs along rows),
// or left it from place index (its cells leave with it). A step changes the region order at
// most once, so places taken at the step's end name the regions its changes met.
void journal_put_region_arrival(JournalStep* out, const Region* region, uint32_t index);
void journal_put_region_departure(JournalStep* out, uint32_t index);
// The map's tileset bitmap now, and whether it only shows the map (the built-in one).
void journal_put_tileset(JournalStep* out, const MapData* map);

// Appends the framed record of the step the view describes to out; false, appending nothing,
// when a change of the step has no forward description (the caller then keeps the whole map
// after the step as a JOURNAL_STEP_MAP record).
// Without seal the checksum is left for journal_seal (off the painting thread).
[[nodiscard]] bool journal_encode_step(const MapData* map, const EditStepView& view,
                                       std::vector<uint8_t>* out, bool seal = true);
// The bytes journal_encode_plain_step may need for a step.
size_t journal_plain_step_room(const EditStepView& view);
// Lays out the framed record of a step that changed only tile cells and objects at out (with
// journal_plain_step_room bytes of room), its checksum left for journal_seal; returns its
// length, or 0 for any other step (journal_encode_step describes those).
[[nodiscard]] size_t journal_encode_plain_step(const MapData* map, const EditStepView& view,
                                               uint8_t* out);
// Fills in the checksums of framed records laid out one after another.
void journal_seal(std::span<uint8_t> records);
// Appends a framed record holding lvl bytes: the base the later records start from, or a step
// kept as the whole map after it.
void journal_encode_map(JournalRecordKind kind, std::span<const uint8_t> lvl,
                        std::vector<uint8_t>* out);

// What the journal's first base holds: exactly the bytes of the file the header names, the
// untitled map as it starts (nothing worth offering), or work that no file holds.
enum JournalBaseKind : uint8_t { JOURNAL_BASE_FILE, JOURNAL_BASE_EMPTY, JOURNAL_BASE_WORK };

// What a journal applies to.
struct JournalHeader {
    uint32_t version = kJournalVersion;
    std::string path;   // the map's real path; empty for the untitled map
    uint64_t size = 0;  // of the bytes loaded or last saved
    int64_t mtime_ns = 0;
    uint8_t hash[kJournalHashBytes] = {};
    JournalBaseKind base = JOURNAL_BASE_EMPTY; // what the first base holds
};
void journal_encode_header(const JournalHeader& header, std::vector<uint8_t>* out);
// BLAKE2b-256 of bytes.
void journal_hash(std::span<const uint8_t> bytes, uint8_t out[kJournalHashBytes]);

enum JournalStatus {
    JOURNAL_OK,
    JOURNAL_UNKNOWN_FORMAT, // a version this build does not know
    JOURNAL_DAMAGED,        // no journal header, or one that fails its checksum
};

struct JournalRecord {
    JournalRecordKind kind;
    std::span<const uint8_t> body; // after the kind byte
};

// A journal file cut into records; records point into the bytes given.
struct JournalContents {
    JournalStatus status = JOURNAL_DAMAGED;
    std::string problem; // why the status is not JOURNAL_OK
    JournalHeader header;
    std::vector<JournalRecord> records; // the whole records, in order
    size_t dropped_bytes = 0;           // a torn or damaged end that was left out
    // The place in records of the last base (records.size() when there is none), and the
    // steps after it.
    size_t last_base() const;
    uint32_t steps() const;
    // True when the steps can be replayed on the file the header names, as it was: the journal
    // still starts from those bytes and describes every step as a change.
    bool replays_on_file() const;
    // True when it holds work worth offering: steps, or a base that no file holds.
    bool holds_work() const;
};
[[nodiscard]] JournalContents journal_parse(std::span<const uint8_t> bytes);

// Applies one step record through the change path (inside the caller's open step). False,
// with the reason, for a record that does not decode or does not fit the map; changes made
// before the fault stay in the open step, so the caller can undo them.
// A tileset bitmap is taken only when tileset_ok accepts it (the level format's check: this
// module knows the model, not the format).
using JournalTilesetCheck = bool (*)(std::span<const uint8_t> bmp);
[[nodiscard]] bool journal_apply_step(MapEdit map, std::span<const uint8_t> body,
                                      std::string* problem, JournalTilesetCheck tileset_ok);
// The place in records of the record a map is rebuilt from: the last base or whole-map step
// (records.size() when there is none). The steps after it replay on that map.
size_t journal_rebuild_start(const JournalContents& journal);
