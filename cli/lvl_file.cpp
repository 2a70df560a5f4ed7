// lvl_file.cpp - reading a level file for the tool, and the facts its commands print.
#include <algorithm>
#include <cstring>
#include <span>
#include <unordered_map>
#include <unordered_set>

#include "cli/lvl_tool.h"
#include "core/platform.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"
#include "map/model/region.h"
#include "map/model/stamp.h"
#include "core/text.h"

namespace {

int32_t read_i32(const uint8_t* p) {
    return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                                uint32_t{p[3]} << 24);
}

// Keys match ignoring the case of A to Z only, as the attribute table does.
std::string fold_key(const std::string& key) {
    std::string folded = key;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

} // namespace

bool lvl_open(LvlFile* file, const char* path) {
    file->path = path;
    int error = 0;
    MappedFile* bytes = mapped_file_open(path, &error, kLevelFileLimit);
    if (!bytes) {
        file->error = file_error_describe(error, path, kLevelFileLimit);
        return false;
    }
    file->map = mapdata_new();
    mapdata_read_bytes(file->map, std::span<const uint8_t>(bytes->data, bytes->length),
                       LevelReadOptions{false, &file->report, kRegionDecodeBudget, &file->losses});
    mapped_file_close(bytes);
    return true;
}

void lvl_close(LvlFile* file) {
    mapdata_free(file->map);
    file->map = nullptr;
}

LvlTileset lvl_tileset(const LvlFile& file) {
    const MapData* map = file.map;
    LvlTileset tileset{file.report.bitmap, map->tileset_length, 0, 0};
    // The info header's width and height; rows stored top-down give a negative height. The
    // short core header (12 bytes) holds them as 16-bit fields.
    const uint8_t* bmp = map->tileset;
    if (bmp && map->tileset_length >= 26 && read_i32(bmp + 14) == 12) {
        tileset.width = bmp[18] | bmp[19] << 8;
        tileset.height = bmp[20] | bmp[21] << 8;
    } else if (bmp && map->tileset_length >= 26) {
        tileset.width = read_i32(bmp + 18);
        int32_t height = read_i32(bmp + 22);
        tileset.height = height == INT32_MIN ? 0 : std::abs(height);
    }
    return tileset;
}

std::vector<LvlRegion> lvl_regions(const LvlFile& file) {
    std::vector<LvlRegion> regions;
    for (const LevelRegionRead& read : file.report.regions)
        regions.push_back({&read, region_name(read.region), 0, 1024, 1024, -1, -1});
    const MapData* map = file.map;
    if (!map->region_grid || regions.empty()) return regions;
    // For each region set, the regions it lists, each once (a file may name a million regions).
    std::unordered_map<const Region*, std::vector<size_t>> places;
    for (size_t r = 0; r < regions.size(); ++r)
        places[regions[r].read->region].push_back(r);
    std::vector<std::vector<size_t>> members(256);
    for (int32_t k = 1; k <= mapdata_region_set_count(map); ++k) {
        int32_t length = 0;
        Region* const* list = mapdata_region_set(map, k, &length);
        for (int32_t i = 0; i < length; ++i) {
            auto found = places.find(list[i]);
            if (found == places.end()) continue;
            for (size_t r : found->second)
                if (std::find(members[k].begin(), members[k].end(), r) == members[k].end())
                    members[k].push_back(r);
        }
    }
    // Cells and bounds per set first, then per region: one pass over the cells whatever the
    // number of regions each cell lies in (255 whole-map regions are 267 million memberships).
    struct SetCells {
        uint64_t cells = 0;
        int32_t x0 = 1024, y0 = 1024, x1 = -1, y1 = -1;
    };
    std::vector<SetCells> sets(256);
    tilegrid_for_each_set(map->region_grid, [&](int32_t x, int32_t y, uint8_t set) {
        SetCells& s = sets[set];
        ++s.cells;
        s.x0 = std::min(s.x0, x);
        s.y0 = std::min(s.y0, y);
        s.x1 = std::max(s.x1, x);
        s.y1 = std::max(s.y1, y);
    });
    for (size_t k = 1; k < sets.size(); ++k)
        for (size_t r : members[k]) {
            LvlRegion& region = regions[r];
            region.cells += sets[k].cells;
            region.x0 = std::min(region.x0, sets[k].x0);
            region.y0 = std::min(region.y0, sets[k].y0);
            region.x1 = std::max(region.x1, sets[k].x1);
            region.y1 = std::max(region.y1, sets[k].y1);
        }
    return regions;
}

uint64_t lvl_tile_count(const MapData* map) {
    uint64_t count = 0;
    for (const TileBlock* block : map->tiles->blocks)
        for (int s = 0; block && s < 16; ++s)
            if (const TileSubBlock* sub = block->sub[s])
                for (uint8_t tile : sub->cells)
                    count += tile != 0;
    return count;
}

void lvl_object_counts(const MapData* map, uint64_t counts[5]) {
    std::fill(counts, counts + 5, 0);
    for (const Stamp& stamp : stamp_span(map->stamps)) {
        int tile = static_cast<int>(stamp.anchor >> 24);
        if (is_object_tile(tile)) ++counts[tile - 216];
    }
}

bool lvl_is_kept_chunk(const LevelChunk& chunk) {
    for (const char* handled : {"ATTR", "REGN", "TSET", "TILE"})
        if (std::memcmp(chunk.type, handled, 4) == 0) return false;
    return true;
}

std::vector<LevelProblem> lvl_problems(const LvlFile& file, const std::vector<LvlRegion>& regions) {
    std::vector<LevelProblem> problems = file.report.problems;
    uint64_t dropped = file.report.problems_dropped;
    // The reader's cap holds for these too: past it a problem is only counted.
    auto add = [&](int64_t offset, auto&& text) {
        if (problems.size() >= kLevelReportProblemLimit)
            ++dropped;
        else
            problems.push_back({offset, text()});
    };
    for (const LvlRegion& region : regions)
        if (region.cells == 0)
            add(static_cast<int64_t>(region.read->offset),
                [&] { return "region '" + text_name(region.name) + "' has no cells"; });
    std::unordered_set<std::string> keys;
    for (const LevelAttribute& attribute : file.report.attributes)
        if (!keys.insert(fold_key(attribute.key)).second)
            add(static_cast<int64_t>(attribute.offset), [&] {
                return "attribute key '" + text_name(attribute.key) + "' repeats an earlier key";
            });
    // The elvl block's offset must fit the BMP header's 16-bit field.
    uint64_t bitmap = (uint64_t{file.map->tileset_length} + 3) & ~uint64_t{3};
    if (file.report.bitmap && bitmap > 0xFFFF)
        problems.push_back({-1, "the tileset takes " + std::to_string(bitmap) +
                                    " bytes: at 64 KiB or more a save cannot keep the "
                                    "attributes and regions"});
    std::stable_sort(problems.begin(), problems.end(),
                     [](const LevelProblem& a, const LevelProblem& b) {
                         return static_cast<uint64_t>(a.offset) < static_cast<uint64_t>(b.offset);
                     });
    if (dropped > 0) problems.push_back({-1, std::to_string(dropped) + " more problems not listed"});
    return problems;
}

std::string lvl_problem_text(const LevelProblem& problem) {
    if (problem.offset < 0) return problem.text;
    return "offset " + std::to_string(problem.offset) + ": " + problem.text;
}
