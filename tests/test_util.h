// test_util.h - the one way the tests build level bytes, maps, chunks and regions, read
// regions back (cells, kept sub-chunks, comparisons) and work in a scratch folder.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "map/edit/edit.h"
#include "map/lvl/elvl.h"
#include "map/lvl/level.h"
#include "map/lvl/level_reading.h"
#include "map/model/mapdata.h"
#include "map/model/model_raw.h"
#include "map/model/region.h"
#include "map/lvl/region_codec.h"

using Bytes = std::vector<uint8_t>;

// A map record with nothing in it, released at scope end.
struct ScopedMap {
    EditedMap map{mapdata_new()}; // with a history, for the change path
    MapData* operator->() const { return map.get(); }
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

// Reads one "REGN" chunk's data into the map (as part of the read given, else of its own).
inline void read_regn(MapData* map, const Bytes& data, LevelReading* reading = nullptr) {
    LevelReading own{map};
    mapdata_read_region(reading ? reading : &own, data.data(), static_cast<uint32_t>(data.size()));
}

// Decodes rTIL bytes into a region of a map, as a read of its own.
inline int decode_rtil(Region* region, const Bytes& bytes) {
    LevelReading reading{region->owner};
    return region_decode_tiles(&reading, region, bytes.data(), static_cast<int32_t>(bytes.size()));
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

// Every cell of the region as x + y * 1024, in row order. Only areas with grid storage can
// hold cells, so the others are skipped.
inline std::vector<int32_t> region_cells(const Region* region) {
    std::vector<int32_t> cells;
    const TileGrid* grid = region->owner->region_grid;
    if (!grid) return cells;
    for (int32_t y = 0; y < 1024; ++y)
        for (int32_t x0 = 0; x0 < 1024; x0 += 32)
            if (grid->blocks[tilegrid_block_index(x0, y)])
                for (int32_t x = x0; x < x0 + 32; ++x)
                    if (region_contains(region, x, y)) cells.push_back(x + y * 1024);
    return cells;
}

// Feeds every chunk of an area through the level's chunk handler, as the reader does.
inline void read_chunk_area(MapData* map, const std::vector<uint8_t>& area) {
    HashTable* table = hash_create();
    elvl_read_chunks(table, area.data(), static_cast<int32_t>(area.size()));
    LevelReading reading{map};
    hash_filter(table, mapdata_handle_chunk, &reading);
    elvl_free_chunks(table);
}

// Kept sub-chunks of a region by type, each type's copies in table order.
inline std::map<std::string, std::vector<std::vector<uint8_t>>> kept_subchunks(const Region* r) {
    std::map<std::string, std::vector<std::vector<uint8_t>>> kept;
    for (int32_t i = 0; r->subchunks && i <= r->subchunks->mask; ++i)
        for (HashEntry* e = r->subchunks->buckets[i]; e; e = e->next) {
            auto* p = static_cast<const uint8_t*>(e->value);
            kept[hash_entry_key(e)].emplace_back(p, p + 8 + elvl_chunk_length(p));
        }
    return kept;
}

inline std::vector<Region*> all_regions(const MapData* map) {
    std::vector<Region*> regions;
    for (const ListNode* node = map->region_order.head; node; node = node->next)
        regions.push_back(static_cast<Region*>(node->data));
    return regions;
}

// Every region of a comes back in b with its name, cells and kept sub-chunks.
inline void expect_same_regions(const MapData* a, const MapData* b) {
    auto before = all_regions(a);
    ASSERT_EQ(before.size(), all_regions(b).size());
    for (const Region* r : before) {
        const Region* r2 = mapdata_find_region(b, region_name(r));
        ASSERT_NE(r2, nullptr) << region_name(r);
        EXPECT_STREQ(region_name(r2), region_name(r));
        EXPECT_EQ(region_cells(r2), region_cells(r)) << region_name(r);
        EXPECT_EQ(kept_subchunks(r2), kept_subchunks(r)) << region_name(r);
    }
}

// Little-endian words, as every count and record of a level file is stored.
inline void put_u32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
inline uint32_t get_u32(const Bytes& b, size_t at) {
    return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
           uint32_t{b[at + 3]} << 24;
}
inline uint32_t get_u16(const Bytes& b, size_t at) {
    return get_u32(b, at) & 0xFFFF;
}
inline uint32_t record(uint32_t x, uint32_t y, uint32_t tile) {
    return x | y << 12 | tile << 24;
}
// Tile records of (x, y, tile) cells.
inline Bytes records(std::initializer_list<std::array<uint32_t, 3>> cells) {
    Bytes b(4 * cells.size());
    size_t at = 0;
    for (const auto& c : cells)
        put_u32(b, (at += 4) - 4, record(c[0], c[1], c[2]));
    return b;
}

// A bitmap-like head of the given length: "BM", bfSize and the elvl offset set.
inline Bytes bmp_head(uint32_t length, uint32_t bf_size, uint32_t elvl_offset = 0) {
    Bytes b(length, 0x11);
    b[0] = 'B';
    b[1] = 'M';
    put_u32(b, 2, bf_size);
    put_u32(b, 6, elvl_offset);
    return b;
}

// A level file: a fake bitmap of bitmap_length bytes, an elvl block holding the chunk bytes,
// then the tile records.
inline Bytes level_with_chunks(uint32_t bitmap_length, const Bytes& chunks, const Bytes& records) {
    Bytes b =
        concat({bmp_head(bitmap_length, 0, bitmap_length), bytes("elvl"), Bytes(8, 0), chunks});
    put_u32(b, bitmap_length + 4, static_cast<uint32_t>(12 + chunks.size()));
    put_u32(b, 2, static_cast<uint32_t>(b.size()));
    append(b, records);
    return b;
}

// Parses bytes the way a file load does, without side effects outside the map.
inline MapData* parse(const Bytes& bytes, LevelLosses* losses = nullptr) {
    MapData* map = mapdata_new();
    LevelReadOptions options{false};
    options.losses = losses;
    mapdata_read_bytes(map, bytes, options);
    return map;
}

inline void write_file(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}
inline Bytes read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A fresh folder with a graphics/ subfolder (made from pattern, else in /tmp), the current one
// for the object's life; removed with everything in it afterwards.
struct ScratchFolder {
    std::filesystem::path old = std::filesystem::current_path(), dir;
    explicit ScratchFolder(std::string pattern = "/tmp/ostrel-test-XXXXXX") {
        const char* made = mkdtemp(pattern.data());
        std::string fallback = "/tmp/ostrel-test-XXXXXX";
        dir = made ? made : mkdtemp(fallback.data());
        std::filesystem::create_directory(dir / "graphics");
        std::filesystem::current_path(dir);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() {
        std::filesystem::current_path(old);
        std::filesystem::remove_all(dir);
    }
};

class ScratchDir : public ::testing::Test {
  protected:
    ScratchFolder scratch;
};

// Keeps the diagnostic log lines written during its life off the test's output.
struct Quiet {
    Quiet() { ::testing::internal::CaptureStderr(); }
    ~Quiet() { ::testing::internal::GetCapturedStderr(); }
};
