// level_records.h - applying tile records to a map's grid, for the level reader.
#pragma once
#include <cstdint>

struct LevelReport;
struct MapData;

// Applies the whole records from records to end to the map's grid (objects rebuilt with their
// squares); returns how many lay outside the map.
uint32_t level_apply_records(MapData* map, const uint8_t* records, const uint8_t* end);
// The records applied one by one, each problem noted in the report with its offset; returns
// how many lay outside the map.
uint32_t level_read_tiles_reporting(MapData* map, LevelReport* report, const uint8_t* records,
                                    const uint8_t* end);
