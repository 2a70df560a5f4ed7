// elvl.h - the typed chunks of a level file's elvl block, and the attributes they carry.
#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/hash.h"

struct MapData;
struct LevelReport;

// Largest data length a chunk may declare.
inline constexpr uint32_t kElvlMaxChunkLength = 131072;

// A chunk copy is one mem_alloc block: the 8-byte header (type, L) followed by L data bytes.
inline uint32_t elvl_chunk_length(const void* copy) {
    uint8_t b[4];
    std::memcpy(b, static_cast<const uint8_t*>(copy) + 4, 4);
    return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
}
inline const uint8_t* elvl_chunk_data(const void* copy) {
    return static_cast<const uint8_t*>(copy) + 8;
}
// True when the copy's four type bytes are exactly type (case matters).
inline bool elvl_chunk_is(const void* copy, const char* type) {
    return std::memcmp(copy, type, 4) == 0;
}

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
// Releases every chunk copy of the table and the table itself; null is accepted.
void elvl_free_chunks(HashTable* table);
// Appends one chunk to out: type, L, the data, zero bytes up to a multiple of 4.
void elvl_append_chunk(std::vector<uint8_t>* out, const char* type, const uint8_t* data,
                       uint32_t length);
// Appends a chunk copy as it was read, padded to a multiple of 4.
void elvl_append_copy(std::vector<uint8_t>* out, const void* copy);

// hash_filter visitor over a level's chunk table (user = the MapData): consumes and releases
// "ATTR", "REGN", "TSET" and "TILE" chunks (returns 1) and keeps every other type (returns 0).
int mapdata_handle_chunk(const char* key, void* chunk, void* map);
// Reads one key=value attribute from the data of an "ATTR" chunk into the attribute table.
void mapdata_read_attribute(MapData* map, const uint8_t* data, uint32_t length);
