// stamp.h - multi-cell objects (tiles 216 to 220) and the paint operation that keeps them whole.
#pragma once
#include <cstdint>
#include <span>

struct MapData;

struct Stamp {
    uint32_t anchor; // packed like a tile record: x bits 0-11, y bits 12-23, tile bits 24-31
    uint16_t width;
    uint16_t height;
};

// A map's placed objects, oldest first, in one owned array: a file can hold millions of
// object records, and one block per object cost more than reading the file.
struct StampList {
    Stamp* items;
    uint32_t count;
    uint32_t capacity;
};
inline std::span<const Stamp> stamp_span(const StampList& list) {
    return {list.items, list.count};
}

// Side of the square an object tile covers: 216: 1, 217: 2, 218: 1, 219: 6, 220: 5; else 1.
int object_size(int tile);
inline bool is_object_tile(int tile) {
    return tile >= 216 && tile <= 220;
}

// First stamp (oldest first) covering the cell; stores its object tile in *tile when given.
// Cells of the map in an area no stamp touches are answered without walking the list.
Stamp* stamp_find(const MapData* map, int32_t x, int32_t y, int* tile);
