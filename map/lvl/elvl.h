// elvl.h - the typed chunks of a level file's elvl block, and the attributes they carry.
#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/hash.h"
#include "map/model/elvl_chunk.h"

struct MapData;
struct LevelReport;
struct LevelReading;

// Cuts a chunk area into chunk copies and hands each, in file order, to visitor with its type
// as the key; a visit that returns 0 leaves the copy to the caller's user data. Same result
// as elvl_read_chunks, report included.
int elvl_walk_chunks(const uint8_t* area, int32_t length, HashVisitor visitor, void* user,
                     LevelReport* report = nullptr);
// Cuts a chunk area into chunk copies added to table under their type; 1 when the chunks
// cover the area exactly, else 0 (the chunks found before the stop stay in the table).
// With a report, notes each chunk's offset and why a walk stopped early.
int elvl_read_chunks(HashTable* table, const uint8_t* area, int32_t length,
                     LevelReport* report = nullptr);

// hash_filter visitor over a level's chunk table (user = the LevelReading of the map,
// level_reading.h): consumes and releases "ATTR", "REGN", "TSET" and "TILE" chunks (returns 1)
// and keeps every other type (returns 0).
int mapdata_handle_chunk(const char* key, void* chunk, void* reading);
// Reads one key=value attribute from the data of an "ATTR" chunk into the attribute table.
void mapdata_read_attribute(LevelReading* reading, const uint8_t* data, uint32_t length);
