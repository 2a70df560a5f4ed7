// level_inspect.cpp - the cells of a level file for the end-to-end scripts, which ask
// `ostrel-lvl info --json` for everything else: one line per query, in the order asked.
#include "map/lvl/level.h"
#include "map/model/mapdata.h"
#include "map/model/region.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    MapData* map = argc > 2 ? mapdata_load(argv[1]) : nullptr;
    if (!map) {
        std::fprintf(stderr, "usage: level_inspect FILE QUERY...\nqueries: tile X Y | "
                             "in-region NAME X Y | find-tile | cells\n");
        return 2;
    }
    auto arg = [&](int i) {
        return i < argc ? static_cast<int>(std::strtol(argv[i], nullptr, 0)) : -1;
    };
    for (int i = 2; i < argc; ++i) {
        std::string q = argv[i];
        if (q == "tile") {
            std::printf("%d\n", mapdata_get_tile(map, arg(i + 1), arg(i + 2)));
            i += 2;
        } else if (q == "in-region" && i + 3 < argc) {
            const Region* r = mapdata_find_region(map, argv[i + 1]);
            std::printf("%d\n", r && region_contains(r, arg(i + 2), arg(i + 3)) ? 1 : 0);
            i += 3;
        } else if (q == "find-tile") {
            // A plain tileset tile well inside the map, so that cells around it can be edited.
            int found = -1;
            for (int at = 20 * 1024 + 20; found < 0 && at < 1000 * 1024; ++at) {
                int t = mapdata_get_tile(map, at % 1024, at / 1024);
                if (at % 1024 >= 20 && at % 1024 < 1000 && t >= 1 && t <= 190) found = at;
            }
            if (found < 0)
                std::printf("none\n");
            else
                std::printf("%d %d\n", found % 1024, found / 1024);
        } else if (q == "cells") {
            // Every non-empty cell as "x,y=tile", row by row, on one line.
            for (int y = 0; y < 1024; ++y)
                for (int x = 0; x < 1024; ++x)
                    if (int t = mapdata_get_tile(map, x, y)) std::printf("%d,%d=%d ", x, y, t);
            std::printf("\n");
        } else {
            std::fprintf(stderr, "level_inspect: unknown query %s\n", q.c_str());
            return 2;
        }
    }
    mapdata_free(map);
    return 0;
}
