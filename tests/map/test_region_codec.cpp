// test_region_codec.cpp - rTIL encoding against decoding, and "REGN" chunks written back.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "map/lvl/region_codec.h"
#include "map/lvl/level.h"
#include "test_util.h"

namespace {

using CellTest = std::function<bool(int32_t x, int32_t y)>;

Region* make_region(MapData* map, const std::string& name, const CellTest& in) {
    Region* region = add_region(map, name);
    for (int32_t y = 0; y < 1024; ++y)
        for (int32_t x = 0; x < 1024; ++x)
            if (in(x, y)) region_add_tile(region, x, y);
    return region;
}

// Checks every code of the encoding: long forms only for counts above 32 and up to 1,024.
void expect_plain_codes(const std::vector<uint8_t>& bytes) {
    for (size_t p = 0; p < bytes.size(); ++p) {
        if (!(bytes[p] & 0x20)) continue;
        ASSERT_LT(p + 1, bytes.size());
        int32_t n = (bytes[p] & 31) * 256 + bytes[p + 1] + 1;
        EXPECT_GT(n, 32);
        EXPECT_LE(n, 1024);
        ++p;
    }
}

// Encodes a region of the given cells, decodes the bytes into a fresh map and compares.
void expect_round_trip(const CellTest& in) {
    ScopedMap source;
    Region* region = make_region(source.map, "S", in);
    std::vector<uint8_t> bytes;
    region_encode_tiles(region, &bytes);
    expect_plain_codes(bytes);
    ScopedMap target;
    Region* copy = add_region(target.map, "T");
    ASSERT_EQ(decode_rtil(copy, bytes), 1);
    for (int32_t y = 0; y < 1024; ++y)
        for (int32_t x = 0; x < 1024; ++x)
            ASSERT_EQ(region_contains(copy, x, y) != 0, in(x, y)) << x << "," << y;
}

TEST(RegionEncode, EmptyRegionIsA3FF) {
    ScopedMap map;
    Region* region = add_region(map.map, "E");
    std::vector<uint8_t> bytes;
    region_encode_tiles(region, &bytes);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0xA3, 0xFF}));
    bytes.clear();
    region_add_tile(region, 0, 0);
    region_encode_tiles(region, &bytes, 0);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0xA3, 0xFF}));
}

// Two equal strips with empty rows between them: a skipped row is empty, so the second strip
// is coded as cells, not as a repeat of the first.
TEST(RegionEncode, EqualStripsAcrossEmptyRows) {
    expect_round_trip([](int32_t x, int32_t y) {
        return x >= 10 && x < 20 && ((y >= 5 && y < 8) || (y >= 12 && y < 15));
    });
}

TEST(RegionEncode, RandomSetsDecodeToTheSameCells) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        std::mt19937 rng(seed);
        std::vector<uint8_t> cells(1024 * 1024);
        // Sparse noise, a dense block and rectangles, so all code kinds and counts appear.
        for (int i = 0; i < 4000; ++i)
            cells[rng() % cells.size()] = 1;
        for (int i = 0; i < 20; ++i) {
            int32_t x0 = rng() % 1024, y0 = rng() % 1024, w = rng() % 200, h = rng() % 200;
            for (int32_t y = y0; y < std::min(1024, y0 + h); ++y)
                for (int32_t x = x0; x < std::min(1024, x0 + w); ++x)
                    cells[x + y * 1024] = 1;
        }
        expect_round_trip([&](int32_t x, int32_t y) { return cells[x + y * 1024] != 0; });
    }
}

// The chunks written by mapdata_write_regions, read back into a fresh map.
void reload(MapData* from, MapData* into) {
    std::vector<uint8_t> area;
    EXPECT_EQ(mapdata_write_regions(from, &area), 1);
    EXPECT_EQ(area.size() % 4, 0u);
    read_chunk_area(into, area);
}

TEST(RegionWrite, RegionsKeepNamesCellsAndSubChunks) {
    ScopedMap map;
    std::string long_name(45, 'L');
    read_regn(map.map, concat({chunk("rNAM", bytes(long_name)), chunk("rCOL", {9, 8, 7}),
                               chunk("rAWP", {1, 2, 3, 4, 5}), chunk("rCOL", {6})}));
    read_regn(map.map, chunk("rNAM", {}));
    Region* a = add_region(map.map, "Alpha");
    Region* b = mapdata_find_region(map.map, long_name.c_str());
    for (int32_t i = 0; i < 1024; ++i)
        region_add_tile(a, i, i);
    region_add_tile(b, 5, 5);
    region_add_tile(b, 1023, 1023);

    ScopedMap back;
    reload(map.map, back.map);
    EXPECT_EQ(list_count(&back->region_order), 3u);
    Region* a2 = mapdata_find_region(back.map, "alpha");
    Region* b2 = mapdata_find_region(back.map, long_name.c_str());
    Region* empty = mapdata_find_region(back.map, "");
    ASSERT_TRUE(a2 && b2 && empty);
    EXPECT_EQ(std::string(region_name(b2)), long_name);
    EXPECT_EQ(region_cells(a2), region_cells(a));
    EXPECT_EQ(region_cells(b2), (std::vector<int32_t>{5 + 5 * 1024, 1023 + 1023 * 1024}));
    EXPECT_TRUE(region_cells(empty).empty());

    // Kept sub-chunks come back byte for byte, two of one type in their order.
    auto bare = [](std::vector<uint8_t> c) {
        c.resize(8 + elvl_chunk_length(c.data()));
        return c;
    };
    decltype(kept_subchunks(b2)) want = {
        {"rCOL", {bare(chunk("rCOL", {9, 8, 7})), bare(chunk("rCOL", {6}))}},
        {"rAWP", {bare(chunk("rAWP", {1, 2, 3, 4, 5}))}}};
    EXPECT_EQ(kept_subchunks(b2), want);
}

TEST(RegionWrite, OversizedRegionKeepsTheRowsThatFit) {
    ScopedMap map;
    Region* region =
        make_region(map.map, "Checker", [](int32_t x, int32_t y) { return ((x + y) & 1) == 0; });
    std::vector<uint8_t> area;
    Quiet quiet;
    EXPECT_EQ(mapdata_write_regions(map.map, &area), 0);
    ASSERT_GE(area.size(), 8u);
    EXPECT_LE(elvl_chunk_length(area.data()), 131072u);
    // A save of such a map says that it is incomplete.
    map->tiles = tilegrid_new();
    std::vector<uint8_t> file;
    EXPECT_EQ(mapdata_save_bytes(map.map, &file), MAPDATA_SAVE_REGIONS_CUT);

    ScopedMap back;
    read_chunk_area(back.map, area);
    Region* copy = mapdata_find_region(back.map, "Checker");
    ASSERT_NE(copy, nullptr);
    int32_t rows = 0;
    while (rows < 1024 && region_contains(copy, rows & 1, rows))
        ++rows;
    EXPECT_GT(rows, 100);
    for (int32_t y = 0; y < 1024; ++y)
        for (int32_t x = 0; x < 1024; x += 7)
            ASSERT_EQ(region_contains(copy, x, y) != 0, y < rows && region_contains(region, x, y));
}

} // namespace
