// bench_region.cpp - region decoding, encoding and the membership store under load.
// Baseline: one read of every cell of a filled grid (BM_BaselineGridSweep), the least any
// whole-map decode or encode must do.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "map/lvl/elvl.h"
#include "map/lvl/level_reading.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"
#include "map/lvl/region_codec.h"
#include "map/model/model_raw.h"
#include "map/model/region.h"

namespace {

std::vector<uint8_t> regn_chunk(const std::string& name, const std::vector<uint8_t>& tiles) {
    std::vector<uint8_t> data;
    elvl_append_chunk(&data, "rNAM", reinterpret_cast<const uint8_t*>(name.data()),
                      static_cast<uint32_t>(name.size()));
    elvl_append_chunk(&data, "rTIL", tiles.data(), static_cast<uint32_t>(tiles.size()));
    std::vector<uint8_t> chunk;
    elvl_append_chunk(&chunk, "REGN", data.data(), static_cast<uint32_t>(data.size()));
    return chunk;
}

// Reads a chunk area the way a level load does: walk, then the chunk handler.
uint32_t load_u32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void store_u32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void read_area(MapData* map, const std::vector<uint8_t>& area) {
    HashTable* table = hash_create();
    elvl_read_chunks(table, area.data(), static_cast<int32_t>(area.size()));
    LevelReading reading{map};
    hash_filter(table, mapdata_handle_chunk, &reading);
    elvl_free_chunks(table);
}

// The "REGN" chunks of a level file's elvl block, as one chunk area.
std::vector<uint8_t> file_regions(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), {});
    std::vector<uint8_t> area;
    if (file.size() < 14) return area;
    uint32_t r = file[6] | file[7] << 8;
    if (r == 0 || file.size() < r + 12u) return area;
    uint32_t total = file[r + 4] | file[r + 5] << 8 | file[r + 6] << 16 | file[r + 7] << 24;
    if (total < 12 || file.size() < r + total) return area;
    HashTable* table = hash_create();
    elvl_read_chunks(table, file.data() + r + 12, static_cast<int32_t>(total - 12));
    for (int32_t i = 0; i <= table->mask; ++i)
        for (HashEntry* e = table->buckets[i]; e; e = e->next)
            if (elvl_chunk_is(e->value, "REGN")) elvl_append_copy(&area, e->value);
    elvl_free_chunks(table);
    return area;
}

void BM_BaselineGridSweep(benchmark::State& state) {
    TileGrid* grid = tilegrid_new();
    for (int32_t y = 0; y < 1024; ++y)
        for (int32_t x = 0; x < 1024; ++x)
            tilegrid_put(grid, x, y, 1);
    for (auto _ : state) {
        uint32_t sum = 0;
        for (int32_t y = 0; y < 1024; ++y)
            for (int32_t x = 0; x < 1024; ++x)
                sum += tilegrid_get(grid, x, y);
        benchmark::DoNotOptimize(sum);
    }
    tilegrid_free(grid);
}
BENCHMARK(BM_BaselineGridSweep)->Unit(benchmark::kMillisecond);

void BM_DecodeDuelpubRegions(benchmark::State& state) {
    auto area = file_regions(OSTREL_TESTDATA "/duelpub.lvl");
    if (area.empty()) {
        state.SkipWithError("duelpub.lvl not found");
        return;
    }
    for (auto _ : state) {
        MapData* map = mapdata_new();
        read_area(map, area);
        benchmark::DoNotOptimize(map->region_order.head);
        mapdata_free(map);
    }
}
BENCHMARK(BM_DecodeDuelpubRegions)->Unit(benchmark::kMillisecond);

void BM_DecodeWholeMap(benchmark::State& state) {
    auto area = regn_chunk("all", {0x63, 0xFF, 0xE3, 0xFE});
    for (auto _ : state) {
        MapData* map = mapdata_new();
        read_area(map, area);
        mapdata_free(map);
    }
}
BENCHMARK(BM_DecodeWholeMap)->Unit(benchmark::kMillisecond);

void BM_EncodeWholeMap(benchmark::State& state) {
    MapData* map = mapdata_new();
    read_area(map, regn_chunk("all", {0x63, 0xFF, 0xE3, 0xFE}));
    Region* region = mapdata_find_region(map, "all");
    std::vector<uint8_t> out;
    for (auto _ : state) {
        out.clear();
        region_encode_tiles(region, &out);
        benchmark::DoNotOptimize(out.data());
    }
    mapdata_free(map);
}
BENCHMARK(BM_EncodeWholeMap)->Unit(benchmark::kMillisecond);

// Writing every region of a map with a few hundred cells in scattered rows.
void BM_EncodeScattered(benchmark::State& state) {
    MapData* map = mapdata_new();
    read_area(map, regn_chunk("dots", {0xA3, 0xFF}));
    Region* region = mapdata_find_region(map, "dots");
    std::mt19937 rng(3);
    for (int i = 0; i < 500; ++i)
        region_add_tile(region, rng() % 1024, rng() % 1024);
    std::vector<uint8_t> out;
    for (auto _ : state) {
        out.clear();
        mapdata_write_regions(map, &out);
        benchmark::DoNotOptimize(out.data());
    }
    mapdata_free(map);
}
BENCHMARK(BM_EncodeScattered)->Unit(benchmark::kMillisecond);

// 40 overlapping rectangles of up to 60 x 60 cells.
void BM_DecodeOverlappingRects(benchmark::State& state) {
    MapData* source = mapdata_new();
    std::mt19937 rng(9);
    for (int i = 0; i < 40; ++i) {
        std::string name = "rect" + std::to_string(i);
        read_area(source, regn_chunk(name, {0xA3, 0xFF}));
        Region* r = mapdata_find_region(source, name.c_str());
        int32_t x0 = rng() % 300, y0 = rng() % 300, w = 1 + rng() % 60, h = 1 + rng() % 60;
        for (int32_t y = y0; y < y0 + h; ++y)
            for (int32_t x = x0; x < x0 + w; ++x)
                region_add_tile(r, x, y);
    }
    std::vector<uint8_t> area;
    mapdata_write_regions(source, &area);
    state.counters["sets"] = mapdata_region_set_count(source);
    mapdata_free(source);
    for (auto _ : state) {
        MapData* map = mapdata_new();
        read_area(map, area);
        mapdata_free(map);
    }
}
BENCHMARK(BM_DecodeOverlappingRects)->Unit(benchmark::kMillisecond);

// A level file of 300 regions over one shared area of side cells: the first 255 combinations fill
// every slot, every later region hits the overlap limit on every cell.
void BM_HostileOverlap(benchmark::State& state) {
    auto side = static_cast<int32_t>(state.range(0));
    std::vector<uint8_t> tiles;
    if (side == 1024) {
        tiles = {0x63, 0xFF, 0xE3, 0xFE};
    } else {
        // side cells at the start of row 0, copied into the next side - 1 rows.
        auto put = [&](int kind, int32_t n) {
            int32_t m = n - 1;
            if (m < 32) {
                tiles.push_back(static_cast<uint8_t>(kind << 6 | m));
            } else {
                tiles.push_back(static_cast<uint8_t>(kind << 6 | 0x20 | m >> 8));
                tiles.push_back(static_cast<uint8_t>(m & 0xFF));
            }
        };
        put(1, side);
        put(0, 1024 - side);
        put(3, side - 1);
        put(2, 1024 - side);
    }
    std::vector<uint8_t> area;
    for (int i = 0; i < 300; ++i) {
        auto chunk = regn_chunk("hostile" + std::to_string(i), tiles);
        area.insert(area.end(), chunk.begin(), chunk.end());
    }
    // A whole level file: the default map saved, with the chunks put into its elvl block.
    MapData* plain = mapdata_new();
    mapdata_make_default(plain);
    std::vector<uint8_t> file;
    mapdata_save_bytes(plain, &file);
    mapdata_free(plain);
    uint32_t elvl = load_u32(&file[6]) & 0xFFFF;
    file.insert(file.begin() + elvl + 12, area.begin(), area.end());
    store_u32(&file[2], load_u32(&file[2]) + static_cast<uint32_t>(area.size()));
    store_u32(&file[elvl + 4], load_u32(&file[elvl + 4]) + static_cast<uint32_t>(area.size()));
    // The warnings go to the log; keep them off the terminal while timing.
    int32_t regions = 0, sets = 0;
    std::fflush(stderr);
    int saved = dup(2);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 2);
    for (auto _ : state) {
        MapData* map = mapdata_new();
        mapdata_read_bytes(map, file, LevelReadOptions{false});
        regions = static_cast<int32_t>(list_count(&map->region_order));
        sets = mapdata_region_set_count(map);
        mapdata_free(map);
    }
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    close(null);
    state.counters["cells"] = 300.0 * side * side;
    state.counters["regions"] = regions;
    state.counters["sets"] = sets;
}
BENCHMARK(BM_HostileOverlap)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);

// The membership test the map view makes for every drawn cell.
void BM_ContainsSweep(benchmark::State& state) {
    MapData* map = mapdata_new();
    read_area(map, regn_chunk("all", {0x42, 0x23, 0xFC, 0xE3, 0xFE}));
    Region* region = mapdata_find_region(map, "all");
    for (auto _ : state) {
        uint32_t sum = 0;
        for (int32_t y = 0; y < 1024; ++y)
            for (int32_t x = 0; x < 1024; ++x)
                sum += region_contains(region, x, y);
        benchmark::DoNotOptimize(sum);
    }
    mapdata_free(map);
}
BENCHMARK(BM_ContainsSweep)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
