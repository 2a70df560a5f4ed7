// elvl_chunk.h - the chunk copies a map keeps as it read them (kept chunks, region
// sub-chunks): one block of the 8-byte header (type, length) and the data bytes.
#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/hash.h"

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

// Releases every chunk copy of the table and the table itself; null is accepted.
void elvl_free_chunks(HashTable* table);
// Appends one chunk to out: type, L, the data, zero bytes up to a multiple of 4.
void elvl_append_chunk(std::vector<uint8_t>* out, const char* type, const uint8_t* data,
                       uint32_t length);
// Appends a chunk copy as it was read, padded to a multiple of 4.
void elvl_append_copy(std::vector<uint8_t>* out, const void* copy);
