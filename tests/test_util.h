// test_util.h - the one way the tests build maps, chunks and regions in memory.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "map/elvl.h"
#include "map/mapdata.h"
#include "map/region.h"

using Bytes = std::vector<uint8_t>;

// A map record with nothing in it, released at scope end.
struct ScopedMap {
    MapData* map = mapdata_new();
    ScopedMap() = default;
    ScopedMap(const ScopedMap&) = delete;
    ScopedMap& operator=(const ScopedMap&) = delete;
    ~ScopedMap() { mapdata_free(map); }
    MapData* operator->() const { return map; }
};

inline Bytes bytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// One chunk (header, data, alignment bytes) as the map's own writer lays it out.
inline Bytes chunk(const char* type, const Bytes& data) {
    Bytes out;
    elvl_append_chunk(&out, type, data.data(), static_cast<uint32_t>(data.size()));
    return out;
}

inline Bytes chunk(const char* type, const char* text) {
    return chunk(type, bytes(text ? text : ""));
}

inline void append(Bytes& to, const Bytes& more) {
    to.insert(to.end(), more.begin(), more.end());
}

inline Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Reads one "REGN" chunk's data into the map.
inline void read_regn(MapData* map, const Bytes& data) {
    mapdata_read_region(map, data.data(), static_cast<uint32_t>(data.size()));
}

// A region read into the map as a file would hand it over: "rNAM", then "rTIL" (no cells by
// default; none at all when tiles is empty), then any extra sub-chunks.
inline Region* add_region(MapData* map, const std::string& name, const Bytes& tiles = {0xA3, 0xFF},
                          const Bytes& extra = {}) {
    read_regn(map, concat({chunk("rNAM", bytes(name)),
                           tiles.empty() ? Bytes{} : chunk("rTIL", tiles), extra}));
    return mapdata_find_region(map, name.c_str());
}

// Adds the cells of a rectangle to the region.
inline void region_add_rect(Region* region, int x0, int y0, int w, int h) {
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            region_add_tile(region, x, y);
}
