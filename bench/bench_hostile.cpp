// bench_hostile.cpp - the slowest level files we can build, up to 16 MiB, against reading and
// summing the same bytes (BM_ReadSumBaseline). Each must open in well under a second.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "map/lvl/elvl.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kFileSize = size_t{16} << 20;

void put_u32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

Bytes chunk(const char* type, const Bytes& data) {
    Bytes out;
    elvl_append_chunk(&out, type, data.data(), static_cast<uint32_t>(data.size()));
    return out;
}

// Repeats unit until the area holds about bytes.
Bytes repeat(const Bytes& unit, size_t bytes) {
    Bytes out;
    out.reserve(bytes + unit.size());
    while (out.size() + unit.size() <= bytes)
        out.insert(out.end(), unit.begin(), unit.end());
    return out;
}

// A level file of the built-in tileset, an elvl block holding area, then the records.
Bytes level(const Bytes& area, const Bytes& records) {
    MapData* plain = mapdata_new();
    mapdata_make_default(plain);
    Bytes file;
    mapdata_save_bytes(plain, &file);
    mapdata_free(plain);
    uint32_t elvl = file[6] | file[7] << 8;
    file.resize(elvl + 12); // drop the one record of the default map
    file.insert(file.end(), area.begin(), area.end());
    put_u32(&file[elvl + 4], static_cast<uint32_t>(12 + area.size()));
    put_u32(&file[2], static_cast<uint32_t>(file.size()));
    file.insert(file.end(), records.begin(), records.end());
    return file;
}

// rTIL data: row 0 of stripes (every other cell), copied to the 1,023 rows below.
Bytes stripes() {
    Bytes tiles;
    for (int i = 0; i < 512; ++i)
        tiles.insert(tiles.end(), {0x40, 0x00});
    tiles.insert(tiles.end(), {0xE3, 0xFE});
    return tiles;
}

Bytes regn_of(const Bytes& tiles, int rtils) {
    Bytes data = chunk("rNAM", {'r'});
    Bytes til = chunk("rTIL", tiles);
    for (int i = 0; i < rtils; ++i)
        data.insert(data.end(), til.begin(), til.end());
    return chunk("REGN", data);
}

Bytes hostile_file(int64_t kind) {
    switch (kind) {
    case 0: // empty chunks of one kept type, 1 MiB (131,072 chunks)
        return level(repeat(chunk("XTRA", {}), size_t{1} << 20), {});
    case 1: // the same, 16 MiB
        return level(repeat(chunk("XTRA", {}), kFileSize), {});
    case 2: // "ATTR" chunks of one key
        return level(repeat(chunk("ATTR", {'K', '=', '1'}), kFileSize), {});
    case 3: // chunks of 131,072 bytes whose rTIL sub-chunks each fill the whole map
        return level(repeat(regn_of({0x63, 0xFF, 0xE3, 0xFE}, 10900), kFileSize), {});
    case 4: // the same with stripes, which no sub-block holds uniformly
        return level(repeat(regn_of(stripes(), 120), kFileSize), {});
    case 5: // a region per 16 bytes
        return level(repeat(chunk("REGN", chunk("rNAM", {})), kFileSize), {});
    case 6: { // the largest object, all at one cell
        Bytes record(4);
        put_u32(record.data(), 100 | 100 << 12 | 220u << 24);
        return level({}, repeat(record, kFileSize));
    }
    case 8: { // the most the format allows: 255 regions, each over the whole map
        Bytes area;
        for (int r = 0; r < 255; ++r) {
            Bytes data = chunk("rNAM", {'R', static_cast<uint8_t>('0' + r / 100),
                                        static_cast<uint8_t>('0' + r / 10 % 10),
                                        static_cast<uint8_t>('0' + r % 10)});
            Bytes til = chunk("rTIL", {0x63, 0xFF, 0xE3, 0xFE});
            data.insert(data.end(), til.begin(), til.end());
            Bytes regn = chunk("REGN", data);
            area.insert(area.end(), regn.begin(), regn.end());
        }
        return level(area, {});
    }
    default: { // many regions with a few cells each, then a region over the whole map
        Bytes area = repeat(regn_of({0x40, 0x23, 0xFE, 0xA3, 0xFE}, 1), kFileSize / 2);
        Bytes all = regn_of({0x63, 0xFF, 0xE3, 0xFE}, 1);
        area.insert(area.end(), all.begin(), all.end());
        return level(area, {});
    }
    }
}

const char* kNames[] = {"xtra-1MiB",    "xtra",      "attr",    "rtil-fill",
                        "rtil-stripes", "tiny-regn", "objects", "regn-then-fill",
                        "255-whole-regions"};

// Keeps the reader's warnings off the terminal while timing.
struct QuietLog {
    int saved = dup(2), null = open("/dev/null", O_WRONLY);
    QuietLog() {
        std::fflush(stderr);
        dup2(null, 2);
    }
    ~QuietLog() {
        std::fflush(stderr);
        dup2(saved, 2);
        close(saved);
        close(null);
    }
};

void BM_ReadSumBaseline(benchmark::State& state) {
    Bytes file = hostile_file(state.range(0));
    for (auto _ : state) {
        uint64_t sum = 0;
        for (uint8_t b : file)
            sum += b;
        benchmark::DoNotOptimize(sum);
    }
    state.SetLabel(kNames[state.range(0)]);
    state.counters["MiB"] = static_cast<double>(file.size()) / (1 << 20);
}
BENCHMARK(BM_ReadSumBaseline)->DenseRange(0, 8)->Unit(benchmark::kMillisecond);

// Parse, then release: what an open costs besides reading the file.
void BM_OpenHostile(benchmark::State& state) {
    Bytes file = hostile_file(state.range(0));
    QuietLog quiet;
    for (auto _ : state) {
        MapData* map = mapdata_new();
        mapdata_read_bytes(map, file, LevelReadOptions{false});
        mapdata_free(map);
    }
    state.SetLabel(kNames[state.range(0)]);
}
BENCHMARK(BM_OpenHostile)->DenseRange(0, 8)->Unit(benchmark::kMillisecond);

// Saving what was read (in memory): a hostile file must not make the save slow either.
void BM_SaveHostile(benchmark::State& state) {
    Bytes file = hostile_file(state.range(0));
    QuietLog quiet;
    MapData* map = mapdata_new();
    mapdata_read_bytes(map, file, LevelReadOptions{false});
    Bytes out;
    for (auto _ : state)
        mapdata_save_bytes(map, &out);
    mapdata_free(map);
    state.SetLabel(kNames[state.range(0)]);
}
BENCHMARK(BM_SaveHostile)->DenseRange(0, 8)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
