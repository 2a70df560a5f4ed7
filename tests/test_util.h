// test_util.h - the one way the tests build maps, chunks and regions in memory.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
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

// One chunk (header, data, alignment bytes) as the map's own writer lays it out.
inline Bytes chunk(const char* type, const std::string& data) {
    Bytes out;
    elvl_append_chunk(&out, type, reinterpret_cast<const uint8_t*>(data.data()),
                      static_cast<uint32_t>(data.size()));
    return out;
}
inline Bytes chunk(const char* type, const Bytes& data) {
    return chunk(type, std::string(data.begin(), data.end()));
}

inline Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A region read into the map as a file would hand it over: "rNAM", then "rTIL" (no cells by
// default), then any extra sub-chunks.
inline Region* add_region(MapData* map, const std::string& name, const Bytes& tiles = {0xA3, 0xFF},
                          const Bytes& extra = {}) {
    Bytes data = concat({chunk("rNAM", name), chunk("rTIL", tiles), extra});
    mapdata_read_region(map, data.data(), static_cast<uint32_t>(data.size()));
    return mapdata_find_region(map, name.c_str());
}

// Adds the cells of a rectangle to the region.
inline void region_add_rect(Region* region, int x0, int y0, int w, int h) {
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            region_add_tile(region, x, y);
}
