// elvl.cpp - the chunk walk of an elvl block, the chunk handler and the attribute reader.
#include "map/elvl.h"

#include <span>

#include "core/hash.h"
#include "core/log.h"
#include "core/mem.h"
#include "map/level.h"
#include "map/mapdata.h"
#include "map/region.h"

static uint32_t read_u32(std::span<const uint8_t> bytes) {
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
           uint32_t{bytes[3]} << 24;
}

int elvl_walk_chunks(const uint8_t* area, int32_t length, HashVisitor visitor, void* user) {
    if (length < 8) return length == 0 ? 1 : 0;
    std::span<const uint8_t> rest(area, static_cast<size_t>(length));
    // Signed: alignment bytes missing at the very end leave it negative.
    int64_t remaining = length;
    while (remaining >= 8) {
        uint32_t data_length = read_u32(rest.subspan(4, 4));
        if (data_length > kElvlMaxChunkLength || int64_t{data_length} + 8 > remaining) break;
        size_t size = size_t{data_length} + 8;
        auto* copy = static_cast<uint8_t*>(mem_alloc(static_cast<uint32_t>(size)));
        std::memcpy(copy, rest.data(), size);
        // The key is the type as text; a zero byte inside the type ends it early.
        char key[5] = {};
        std::memcpy(key, copy, 4);
        visitor(key, copy, user);
        remaining -= static_cast<int64_t>(size);
        // Alignment bytes are skipped without looking at them.
        size_t pad = (4 - data_length % 4) % 4;
        remaining -= static_cast<int64_t>(pad);
        rest = remaining > 0 ? rest.subspan(size + pad) : std::span<const uint8_t>();
    }
    return remaining == 0 ? 1 : 0;
}

int elvl_read_chunks(HashTable* table, const uint8_t* area, int32_t length) {
    return elvl_walk_chunks(
        area, length,
        [](const char* key, void* copy, void* t) {
            hash_add(static_cast<HashTable*>(t), key, copy);
            return 0;
        },
        table);
}

void elvl_free_chunks(HashTable* table) {
    if (!table) return;
    hash_filter(table, hash_free_value, nullptr);
    hash_free(table);
}

void elvl_append_chunk(std::vector<uint8_t>* out, const char* type, const uint8_t* data,
                       uint32_t length) {
    const uint8_t header[8] = {
        static_cast<uint8_t>(type[0]),      static_cast<uint8_t>(type[1]),
        static_cast<uint8_t>(type[2]),      static_cast<uint8_t>(type[3]),
        static_cast<uint8_t>(length),       static_cast<uint8_t>(length >> 8),
        static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 24)};
    out->insert(out->end(), header, header + 8);
    if (length) out->insert(out->end(), data, data + length);
    out->resize(out->size() + (4 - length % 4) % 4, 0);
}

void elvl_append_copy(std::vector<uint8_t>* out, const void* copy) {
    elvl_append_chunk(out, static_cast<const char*>(copy), elvl_chunk_data(copy),
                      elvl_chunk_length(copy));
}

void mapdata_read_attribute(MapData* map, const uint8_t* data, uint32_t length) {
    // The data carries no terminator: scan a terminated copy so the scan ends with the data.
    auto* text = static_cast<char*>(mem_alloc(length + 1));
    if (length) std::memcpy(text, data, length);
    char key[64];
    const char* after = split_field(key, text, sizeof key, '=');
    if (after) {
        // The value runs to the end of the data; a zero byte inside it ends the text there.
        size_t value_length = std::strlen(after);
        auto* value = static_cast<char*>(mem_alloc(static_cast<uint32_t>(value_length + 1)));
        std::memcpy(value, after, value_length);
        if (!map->attributes) map->attributes = hash_create();
        hash_add(map->attributes, key, value);
        log_msg_capped(&map->log_lines[MAPLOG_ATTR], kMapLogCap, 'D', "found ATTR: %s=%s", key,
                       value);
    }
    mem_free(text);
}

int mapdata_handle_chunk(const char*, void* chunk, void* user) {
    auto* map = static_cast<MapData*>(user);
    const uint8_t* data = elvl_chunk_data(chunk);
    uint32_t length = elvl_chunk_length(chunk);
    if (elvl_chunk_is(chunk, "ATTR")) {
        mapdata_read_attribute(map, data, length);
    } else if (elvl_chunk_is(chunk, "REGN")) {
        mapdata_read_region(map, data, length);
    } else if (elvl_chunk_is(chunk, "TILE")) {
        mapdata_read_tiles(map, data, static_cast<int32_t>(length));
    } else if (!elvl_chunk_is(chunk, "TSET")) {
        // Any other type stays in the kept-chunk table and is written back on save.
        return 0;
    }
    mem_free(chunk);
    return 1;
}
