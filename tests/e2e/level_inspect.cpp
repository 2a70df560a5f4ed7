// level_inspect.cpp - answers questions about a level file for the end-to-end scripts:
// one line per query, in the order asked.
#include "core/hash.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"
#include "map/lvl/elvl.h"
#include "map/model/region.h"
#include "map/edit/region_edit.h"
#include "map/model/stamp.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void count_region(void* user, Region*) {
    ++*static_cast<int*>(user);
}

void first_region(void* user, Region* region) {
    auto* name = static_cast<std::string*>(user);
    if (name->empty()) *name = region_name(region);
}

// A plain tileset tile well inside the map, so that cells around it can be edited.
void find_tile(const MapData* map) {
    for (int y = 20; y < 1000; ++y)
        for (int x = 20; x < 1000; ++x) {
            int t = mapdata_get_tile(map, x, y);
            if (t >= 1 && t <= 190) {
                std::printf("%d %d\n", x, y);
                return;
            }
        }
    std::printf("none\n");
}

// One line for a region: cells, bounding box and its kept sub-chunks in order, as hex.
std::string describe_region(const Region* region) {
    RegionExtent e = region_extent(region);
    std::string out = "cells=" + std::to_string(e.cells);
    if (e.cells)
        out += " box=" + std::to_string(e.left) + "," + std::to_string(e.top) + "-" +
               std::to_string(e.right) + "," + std::to_string(e.bottom);
    out += " subs=";
    for (HashEntry* s = region->subchunks->first_added; s; s = s->added_next) {
        out += std::string(hash_entry_key(s)) + ":";
        const uint8_t* data = elvl_chunk_data(s->value);
        for (uint32_t i = 0; i < elvl_chunk_length(s->value); ++i) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02x", data[i]);
            out += hex;
        }
        out += s->added_next ? "," : "";
    }
    return out;
}

// Every region but one, in file order: names and descriptions in one line.
void others(MapData* map, const char* except) {
    std::string all;
    for (const ListNode* node = map->region_order.head; node; node = node->next) {
        const auto* region = static_cast<const Region*>(node->data);
        if (text_icmp(region_name(region), except) == 0) continue;
        all += std::string(region_name(region)) + "{" + describe_region(region) + "}";
    }
    // A short digest keeps the line readable; FNV-1a.
    uint32_t h = 2166136261u;
    for (unsigned char c : all)
        h = (h ^ c) * 16777619u;
    std::printf("%08x\n", h);
}

int number(const char* text) {
    return static_cast<int>(std::strtol(text, nullptr, 0));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: level_inspect FILE QUERY...\n"
                             "queries: tile X Y | stamp X Y | attr KEY | regions | first-region |\n"
                             "         in-region NAME X Y | region NAME | others NAME | chunks |\n"
                             "         find-tile | cells\n");
        return 2;
    }
    MapData* map = mapdata_load(argv[1]);
    if (!map) return 1;
    for (int i = 2; i < argc; ++i) {
        std::string q = argv[i];
        auto need = [&](int n) {
            if (i + n >= argc) {
                std::fprintf(stderr, "level_inspect: %s needs %d arguments\n", q.c_str(), n);
                std::exit(2);
            }
        };
        if (q == "tile") {
            need(2);
            std::printf("%d\n", mapdata_get_tile(map, number(argv[i + 1]), number(argv[i + 2])));
            i += 2;
        } else if (q == "stamp") {
            need(2);
            int tile = 0;
            stamp_find(map, number(argv[i + 1]), number(argv[i + 2]), &tile);
            std::printf("%d\n", tile);
            i += 2;
        } else if (q == "attr") {
            need(1);
            const char* v = map->attributes
                                ? static_cast<const char*>(hash_get(map->attributes, argv[i + 1]))
                                : nullptr;
            std::printf("%s\n", v ? v : "(none)");
            i += 1;
        } else if (q == "regions") {
            int n = 0;
            mapdata_for_each_region(map, count_region, &n);
            std::printf("%d\n", n);
        } else if (q == "first-region") {
            std::string name;
            mapdata_for_each_region(map, first_region, &name);
            std::printf("%s\n", name.c_str());
        } else if (q == "in-region") {
            need(3);
            Region* r = mapdata_find_region(map, argv[i + 1]);
            std::printf("%d\n",
                        region_contains(r, number(argv[i + 2]), number(argv[i + 3])) ? 1 : 0);
            i += 3;
        } else if (q == "region") {
            need(1);
            const Region* r = mapdata_find_region(map, argv[i + 1]);
            std::printf("%s\n", r ? describe_region(r).c_str() : "(none)");
            i += 1;
        } else if (q == "others") {
            need(1);
            others(map, argv[i + 1]);
            i += 1;
        } else if (q == "chunks") {
            std::printf("%d\n", map->kept_chunks ? map->kept_chunks->count : 0);
        } else if (q == "find-tile") {
            find_tile(map);
        } else if (q == "cells") {
            // Every non-empty cell as "x,y=tile", row by row, on one line.
            for (int y = 0; y < 1024; ++y)
                for (int x = 0; x < 1024; ++x)
                    if (int t = mapdata_get_tile(map, x, y)) std::printf("%d,%d=%d ", x, y, t);
            std::printf("\n");
        } else {
            std::fprintf(stderr, "level_inspect: unknown query %s\n", q.c_str());
            mapdata_free(map);
            return 2;
        }
    }
    mapdata_free(map);
    return 0;
}
