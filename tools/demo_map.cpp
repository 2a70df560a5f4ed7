// demo_map.cpp - writes the demonstration level used for the README screenshot: the
// built-in tileset, a walled base with rooms, a flag field, objects, two regions and a few
// attributes, all drawn here in code.
#include "core/mem.h"
#include "map/edit/edit.h"
#include "map/lvl/elvl.h"
#include "map/model/attributes.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"
#include "map/lvl/level_reading.h"
#include "map/lvl/region_codec.h"
#include "map/model/model_raw.h"
#include "map/model/region.h"
#include "map/model/stamp.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

void rect(MapEdit map, int x0, int y0, int x1, int y1, int tile) {
    for (int x = x0; x <= x1; ++x) {
        edit_paint(map, x, y0, tile);
        edit_paint(map, x, y1, tile);
    }
    for (int y = y0; y <= y1; ++y) {
        edit_paint(map, x0, y, tile);
        edit_paint(map, x1, y, tile);
    }
}

void fill(MapEdit map, int x0, int y0, int x1, int y1, int tile) {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            edit_paint(map, x, y, tile);
}

// One "REGN" chunk's data: the name and the cells of a rectangle in the run code.
std::vector<uint8_t> region_data(const std::string& name, int x0, int y0, int x1, int y1) {
    std::vector<uint8_t> out;
    auto sub = [&](const char* type, const std::vector<uint8_t>& data) {
        elvl_append_chunk(&out, type, data.data(), static_cast<uint32_t>(data.size()));
    };
    std::vector<uint8_t> code;
    auto run = [&](int kind, int n) {
        code.push_back(static_cast<uint8_t>((kind << 6) | 0x20 | (((n - 1) >> 8) & 31)));
        code.push_back(static_cast<uint8_t>((n - 1) & 0xFF));
    };
    if (y0 > 0) run(2, y0);
    if (x0 > 0) run(0, x0);
    run(1, x1 - x0 + 1);
    if (x1 < 1023) run(0, 1023 - x1);
    if (y1 > y0) run(3, y1 - y0);
    if (y1 < 1023) run(2, 1023 - y1);
    sub("rNAM", std::vector<uint8_t>(name.begin(), name.end()));
    sub("rTIL", code);
    return out;
}

void add_region(MapData* map, const std::string& name, int x0, int y0, int x1, int y1) {
    std::vector<uint8_t> data = region_data(name, x0, y0, x1, y1);
    LevelReading reading{map};
    mapdata_read_region(&reading, data.data(), static_cast<uint32_t>(data.size()));
}

void attribute(MapData* map, const char* key, const char* value) {
    size_t n = std::strlen(value);
    char* copy = static_cast<char*>(mem_alloc(static_cast<uint32_t>(n + 1)));
    std::memcpy(copy, value, n);
    mapdata_set_attribute(map, key, copy);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: demo_map OUTPUT.lvl\n");
        return 2;
    }
    EditedMap map(mapdata_load(""));
    if (!map) return 1;
    edit_paint(map, 0, 0, 0);
    // The base around (512, 512): an outer wall, an inner keep and corridors.
    const int cx = 512, cy = 512;
    rect(map, cx - 18, cy - 14, cx + 18, cy + 14, 1);
    rect(map, cx - 17, cy - 13, cx + 17, cy + 13, 2);
    rect(map, cx - 6, cy - 5, cx + 6, cy + 5, 37);
    fill(map, cx - 5, cy - 4, cx + 5, cy + 4, 0);
    for (int i = -12; i <= 12; i += 6)
        fill(map, cx + i - 1, cy - 10, cx + i + 1, cy - 9, 74);
    fill(map, cx - 14, cy + 8, cx - 9, cy + 11, 111);
    fill(map, cx + 9, cy + 8, cx + 14, cy + 11, 128);
    // Gates in the walls.
    fill(map, cx - 1, cy - 14, cx + 1, cy - 13, 0);
    fill(map, cx - 1, cy + 13, cx + 1, cy + 14, 0);
    fill(map, cx - 6, cy - 1, cx - 6, cy + 1, 0);
    // Flags and doors along the corridors.
    for (int i = -15; i <= 15; i += 5)
        edit_paint(map, cx + i, cy + 7, 170);
    for (int i = -3; i <= 3; i += 3)
        edit_paint(map, cx + i, cy - 7, 162 + (i + 3) / 3);
    // Objects in the keep and outside.
    edit_paint(map, cx - 4, cy - 3, 216);
    edit_paint(map, cx - 2, cy - 3, 217);
    edit_paint(map, cx + 1, cy - 3, 218);
    edit_paint(map, cx - 3, cy - 1, 219);
    edit_paint(map, cx + 22, cy - 4, 220);
    // Asteroid field to the east.
    for (int k = 0; k < 24; ++k) {
        int x = cx + 22 + (k * 7) % 13;
        int y = cy + 3 + (k * 5) % 11;
        edit_paint(map, x, y, 172 + k % 3);
    }
    add_region(map, "Keep", cx - 5, cy - 4, cx + 5, cy + 4);
    add_region(map, "Hangar east", cx + 9, cy + 8, cx + 14, cy + 11);
    attribute(map, "NAME", "Ostrel demo base");
    attribute(map, "VERSION", "1");
    int result = mapdata_save(map, argv[1]).result;

    if (result == MAPDATA_SAVE_FAILED) {
        std::fprintf(stderr, "demo_map: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
