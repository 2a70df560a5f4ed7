// fuzz_rtil.cpp - rTIL data and "REGN" chunks against a plain model of the run code, and
// every decoded region through the encoder and back.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_budget.h"
#include "map/lvl/elvl.h"
#include "map/model/mapdata.h"
#include "map/model/region.h"
#include "map/lvl/region_codec.h"

namespace {

constexpr int32_t kSide = 1024;

// The run code written out plainly: which cells one rTIL adds, clipped to the map.
void model_decode(const uint8_t* data, size_t length, std::vector<uint8_t>* cells) {
    int64_t x = 0, y = 0;
    for (size_t p = 0; p < length;) {
        if (x < 0 || x >= kSide || y < 0 || y >= kSide) return;
        uint8_t b = data[p++];
        int64_t n = (b & 31) + 1;
        if (b & 0x20) {
            if (p == length) return;
            n = (b & 31) * 256 + data[p++] + 1;
        }
        switch (b >> 6) {
        case 0:
        case 1:
            for (int64_t i = x; (b >> 6) == 1 && i < x + n && i < kSide; ++i)
                (*cells)[i + y * kSide] = 1;
            x += n;
            if (x == kSide) x = 0, ++y;
            break;
        case 2:
            if (x != 0) return;
            y += n;
            break;
        default:
            if (x != 0 || y == 0) return;
            // Copies add to what a row holds already (from an earlier rTIL).
            for (int64_t row = y; row < y + n && row < kSide; ++row)
                for (int32_t col = 0; col < kSide; ++col)
                    (*cells)[row * kSide + col] |= (*cells)[(y - 1) * kSide + col];
            y += n;
        }
    }
}

// The region's cells, read through the present storage of the grid only.
std::vector<uint8_t> region_bits(const Region* region) {
    std::vector<uint8_t> cells(kSide * kSide);
    const TileGrid* grid = region->owner->region_grid;
    if (!grid) return cells;
    for (int32_t b = 0; b < 1024; ++b) {
        if (!grid->blocks[b]) continue;
        int32_t bx = b / 32 * 32, by = b % 32 * 32;
        for (int32_t y = by; y < by + 32; ++y)
            for (int32_t x = bx; x < bx + 32; ++x)
                cells[x + y * kSide] = static_cast<uint8_t>(region_contains(region, x, y));
    }
    return cells;
}

std::vector<Region*> table_regions(const MapData* map) {
    std::vector<Region*> regions;
    for (const ListNode* node = map->region_order.head; node; node = node->next)
        regions.push_back(static_cast<Region*>(node->data));
    return regions;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 200000) return 0;
    uint8_t mode = data[0];
    ++data;
    --size;
    MapData* map = mapdata_new();
    LevelReading reading = fuzz_reading(map);
    if (mode & 1) {
        // The whole input as the data of one "REGN" chunk; then written and read back.
        mapdata_read_region(&reading, data, static_cast<uint32_t>(size));
        std::vector<uint8_t> area;
        int complete = mapdata_write_regions(map, &area);
        MapData* back = mapdata_new();
        LevelReading back_reading = fuzz_reading(back);
        HashTable* table = hash_create();
        if (!elvl_read_chunks(table, area.data(), static_cast<int32_t>(area.size()))) abort();
        hash_filter(table, mapdata_handle_chunk, &back_reading);
        elvl_free_chunks(table);
        // Same regions, same order, same names; same cells unless the writer said otherwise.
        std::vector<Region*> was = table_regions(map), now = table_regions(back);
        if (was.size() != now.size()) abort();
        for (size_t i = 0; i < was.size(); ++i) {
            if (std::strcmp(region_name(was[i]), region_name(now[i])) != 0) abort();
            if (!complete) continue;
            if (region_bits(was[i]) != region_bits(now[i])) abort();
            auto kept = [](const Region* r) { return r->subchunks ? r->subchunks->count : 0; };
            if (kept(was[i]) != kept(now[i])) abort();
        }
        mapdata_free(back);
    } else {
        // rTIL data, split in two sub-chunks when the mode asks, decoded into one region.
        std::vector<uint8_t> regn;
        elvl_append_chunk(&regn, "rNAM", reinterpret_cast<const uint8_t*>("F"), 1);
        mapdata_read_region(&reading, regn.data(), static_cast<uint32_t>(regn.size()));
        Region* region = mapdata_find_region(map, "F");
        size_t split = (mode & 2) ? size / 2 : size;
        std::vector<uint8_t> first(data, data + split), second(data + split, data + size);
        std::vector<uint8_t> model(kSide * kSide);
        region_decode_tiles(&reading, region, first.data(), static_cast<int32_t>(first.size()));
        model_decode(first.data(), first.size(), &model);
        if (!second.empty()) {
            region_decode_tiles(&reading, region, second.data(), static_cast<int32_t>(second.size()));
            model_decode(second.data(), second.size(), &model);
        }
        if (region_bits(region) != model) abort();
        // The encoder and the decoder agree on whatever set came out.
        std::vector<uint8_t> bytes;
        region_encode_tiles(region, &bytes);
        MapData* back = mapdata_new();
        LevelReading back_reading = fuzz_reading(back);
        mapdata_read_region(&back_reading, regn.data(), static_cast<uint32_t>(regn.size()));
        Region* copy = mapdata_find_region(back, "F");
        if (region_decode_tiles(&back_reading, copy, bytes.data(),
                                static_cast<int32_t>(bytes.size())) != 1)
            abort();
        if (region_bits(copy) != model) abort();
        mapdata_free(back);
    }
    mapdata_free(map);
    return 0;
}
