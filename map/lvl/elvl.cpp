// elvl.cpp - the chunk walk of an elvl block, the chunk handler and the attribute reader.
#include "map/lvl/elvl.h"
#include "map/lvl/level_reading.h"

#include <span>

#include "core/hash.h"
#include "core/log.h"
#include "core/mem.h"
#include "map/lvl/level.h"
#include "map/lvl/level_report.h"
#include "map/model/mapdata.h"
#include "map/lvl/region_codec.h"
#include "map/model/region.h"

static uint32_t read_u32(std::span<const uint8_t> bytes) {
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
           uint32_t{bytes[3]} << 24;
}

// Why a walk stopped before the end of its area, for the read report.
static void report_stop(LevelReport* report, const uint8_t* at, int64_t remaining) {
    if (remaining >= 8) {
        char type[5] = {};
        for (int i = 0; i < 4; ++i)
            type[i] = at[i] >= 32 && at[i] < 127 ? static_cast<char>(at[i]) : '?';
        uint32_t length = read_u32(std::span<const uint8_t>(at + 4, 4));
        if (length > kElvlMaxChunkLength)
            level_report_problem(report, at,
                                 "map data from here on is damaged and was not read (chunk "
                                 "'%s' declares %u bytes, past the limit of %u)",
                                 type, length, kElvlMaxChunkLength);
        else
            level_report_problem(report, at,
                                 "map data from here on is cut short and was not read (chunk "
                                 "'%s' of %u bytes runs past the end of its area)",
                                 type, length);
    } else if (remaining > 0) {
        level_report_problem(report, at,
                             "stray bytes after the map data (%d bytes that make no chunk)",
                             static_cast<int>(remaining));
    } else if (remaining < 0) {
        level_report_problem(report, nullptr,
                             "the map data ends a little short (the last chunk lacks its %d "
                             "alignment bytes)",
                             static_cast<int>(-remaining));
    }
}

int elvl_walk_chunks(const uint8_t* area, int32_t length, HashVisitor visitor, void* user,
                     LevelReport* report) {
    if (length < 8) {
        if (report && length != 0) {
            if (length > 0)
                report_stop(report, area, length);
            else
                level_report_problem(report, nullptr,
                                     "the map data block is damaged and was not read (a chunk "
                                     "area of negative length %d)",
                                     static_cast<int>(length));
        }
        return length == 0 ? 1 : 0;
    }
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
        // Noted before the visitor, which may handle the chunk and release the copy.
        if (report) level_report_chunk(report, rest.data(), copy);
        visitor(key, copy, user);
        remaining -= static_cast<int64_t>(size);
        // Alignment bytes are skipped without looking at them.
        size_t pad = (4 - data_length % 4) % 4;
        remaining -= static_cast<int64_t>(pad);
        rest = remaining > 0 ? rest.subspan(size + pad) : std::span<const uint8_t>();
    }
    if (report && remaining != 0) report_stop(report, rest.data(), remaining);
    return remaining == 0 ? 1 : 0;
}

int elvl_read_chunks(HashTable* table, const uint8_t* area, int32_t length, LevelReport* report) {
    return elvl_walk_chunks(
        area, length,
        [](const char* key, void* copy, void* t) {
            hash_add(static_cast<HashTable*>(t), key, copy);
            return 0;
        },
        table, report);
}


void mapdata_read_attribute(LevelReading* reading, const uint8_t* data, uint32_t length) {
    MapData* map = reading->map;
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
        log_msg_capped(&reading->log_lines[READLOG_ATTR], kReadLogCap, 'D', "found ATTR: %s=%s",
                       key, value);
        if (LevelReport* report = reading->report)
            report->attributes.push_back({key, value, report->base_offset});
    }
    mem_free(text);
}

int mapdata_handle_chunk(const char*, void* chunk, void* user) {
    auto* reading = static_cast<LevelReading*>(user);
    LevelReport* report = reading->report;
    const uint8_t* data = elvl_chunk_data(chunk);
    uint32_t length = elvl_chunk_length(chunk);
    // Offsets inside this chunk count from where the walk found it.
    LevelReportBase saved{};
    if (report) saved = level_report_enter_copy(report, chunk);
    if (elvl_chunk_is(chunk, "ATTR")) {
        mapdata_read_attribute(reading, data, length);
    } else if (elvl_chunk_is(chunk, "REGN")) {
        mapdata_read_region(reading, data, length);
    } else if (elvl_chunk_is(chunk, "TILE")) {
        level_read_tiles(reading, data, static_cast<int32_t>(length));
    } else if (!elvl_chunk_is(chunk, "TSET")) {
        // Any other type stays in the kept-chunk table and is written back on save.
        if (report) level_report_leave(report, saved);
        return 0;
    }
    if (report) level_report_leave(report, saved);
    mem_free(chunk);
    return 1;
}
