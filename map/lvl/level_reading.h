// level_reading.h - what one read of a level file keeps besides the map it fills: the report
// asked for, what could not be used, how many lines of each repeatable kind were logged, and
// the cell steps rTIL decoding may still take. The reader's parts pass it along; the map gets
// only its content.
#pragma once
#include <cstdint>

#include "map/lvl/level.h"

struct MapData;
struct LevelReport;

// Log lines a file can repeat without end; each kind is logged at most kReadLogCap times per
// read (core/log.h, log_msg_capped).
enum ReadLogKind { READLOG_ATTR, READLOG_REGION, READLOG_TILES, READLOG_KINDS };
inline constexpr uint32_t kReadLogCap = 200;

struct LevelReading {
    explicit LevelReading(MapData* into, LevelReport* asked = nullptr) : map(into), report(asked) {}
    MapData* map;
    LevelReport* report; // filled when the caller asked for one
    LevelLosses losses;
    uint32_t log_lines[READLOG_KINDS] = {};
    uint64_t decode_budget = kRegionDecodeBudget;
    uint64_t decode_work = 0; // cell steps rTIL decoding has taken
};

// Applies count bytes of tile records (whole records only), counting those refused.
void level_read_tiles(LevelReading* reading, const uint8_t* records, int32_t count);
// Takes cell steps from the read's rTIL budget; false, with the warning logged once per read
// (losses.region_data_cut), when they do not fit.
bool level_take_decode_budget(LevelReading* reading, uint64_t cells);
