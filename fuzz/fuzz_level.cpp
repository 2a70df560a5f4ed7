// fuzz_level.cpp - feeds arbitrary bytes to the level reader, then saves, reloads, paints
// and undoes the paints.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "map/edit.h"
#include "map/level.h"
#include "map/mapdata.h"
#include "map/stamp.h"

// The reader logs a line per problem; at millions of runs that output is only noise.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!std::getenv("OSTREL_FUZZ_LOG")) {
        if (std::FILE* null = std::fopen("/dev/null", "w")) stderr = null;
    }
    return 0;
}

// The tile-record part of a saved file: everything from the offset in its header.
static std::span<const uint8_t> records_of(const std::vector<uint8_t>& file) {
    uint32_t start = uint32_t{file[2]} | uint32_t{file[3]} << 8 | uint32_t{file[4]} << 16 |
                     uint32_t{file[5]} << 24;
    if (start > file.size()) std::abort();
    return std::span<const uint8_t>(file).subspan(start);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const LevelReadOptions quiet{false, false};
    MapData* map = mapdata_new();
    mapdata_read_bytes(map, std::span<const uint8_t>(data, size), quiet);

    // A saved file reads back to the same tile records: saving twice gives the same run.
    std::vector<uint8_t> once, twice;
    int result = mapdata_save_bytes(map, &once);
    if (result == MAPDATA_SAVE_FAILED || once.size() < 14) std::abort();
    MapData* again = mapdata_new();
    mapdata_read_bytes(again, once, quiet);
    if (again->error_count != 0) std::abort();
    if (mapdata_save_bytes(again, &twice) != result) std::abort();
    std::span<const uint8_t> a = records_of(once), b = records_of(twice);
    if (a.size() != b.size() || !std::equal(a.begin(), a.end(), b.begin())) std::abort();

    // Paint a few cells picked by the input, objects included, over what was read.
    for (size_t i = 0; i + 3 <= size && i < 24; i += 3) {
        int32_t x = (data[i] | (data[i + 1] & 3) << 8),
                y = (data[i + 1] >> 2 | data[i + 2] << 6) & 1023;
        mapdata_set_tile(again, x, y, data[i + 2]);
    }
    // Undoing every paint gives back the file as it was read, byte for byte.
    while (edit_undo(again, nullptr)) {
    }
    std::vector<uint8_t> undone;
    mapdata_save_bytes(again, &undone);
    if (undone != twice) std::abort();
    mapdata_free(again);
    mapdata_free(map);
    return 0;
}
