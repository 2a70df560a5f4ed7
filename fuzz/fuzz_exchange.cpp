// fuzz_exchange.cpp - feeds arbitrary bytes to the TMX map and tileset readers (first byte
// even) or the JSON ones (odd), with the built-in tileset as every image. A map that imports
// must export, and the export must import again to the same level file bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "fuzz/fuzz_budget.h"
#include "map/lvl/builtin_tileset.h"
#include "map/exchange/exchange_internal.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"
#include "map/model/region.h"

namespace {

bool builtin_image(const std::string&, std::vector<uint8_t>* bytes, std::string*) {
    uint32_t length = 0;
    const uint8_t* tileset = builtin_tileset(&length);
    bytes->assign(tileset, tileset + length);
    return true;
}

ExchangeRead import(std::span<const uint8_t> bytes, bool tmx) {
    TiledMap tiled;
    std::string error = tmx ? tmx_parse(bytes, "fuzz", &tiled) : tiled_json_parse(bytes, "fuzz", &tiled);
    if (!error.empty()) {
        ExchangeRead failed;
        failed.error = error;
        return failed;
    }
    return exchange_import(tiled, "fuzz", builtin_image, {false, kFuzzRegionBudget});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    bool tmx = data[0] % 2 == 0;
    // The same bytes as a tileset file of that syntax: only that it never fails badly.
    TiledTileset tileset;
    (void)(tmx ? tsx_parse({data + 1, size - 1}, "fuzz", &tileset)
               : tiled_json_tileset_parse({data + 1, size - 1}, "fuzz", &tileset));
    ExchangeRead first = import({data + 1, size - 1}, tmx);
    if (!first.map) return 0;
    std::vector<uint8_t> saved, again;
    (void)mapdata_save_bytes(first.map.get(), &saved);
    TiledMap tiled;
    ExchangeImages images;
    std::string error = exchange_export(*first.map, "fuzz", nullptr, &tiled, &images);
    if (!error.empty()) {
        std::fprintf(stderr, "an imported map does not export: %s\n", error.c_str());
        std::abort();
    }
    std::string text = tmx ? tmx_format(tiled) : tiled_json_format(tiled);
    ExchangeRead second = import({reinterpret_cast<const uint8_t*>(text.data()), text.size()}, tmx);
    if (!second.map) {
        std::fprintf(stderr, "an export does not import: %s\n", second.error.c_str());
        std::abort();
    }
    (void)mapdata_save_bytes(second.map.get(), &again);
    if (again != saved) {
        std::fprintf(stderr, "an export imports to other bytes\n");
        std::abort();
    }
    return 0;
}
