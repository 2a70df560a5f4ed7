// lvl_tool.h - ostrel-lvl, the headless companion: shared pieces of its commands (reading a
// file with its read report, the facts info and check print) and the commands themselves.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "map/lvl/level.h"
#include "map/lvl/level_report.h"

struct MapData;

// One level file as the tool reads it: never the tileset copy file, never a window.
struct LvlFile {
    std::string path;
    MapData* map = nullptr; // null when the file cannot be read
    std::string error;      // why it cannot be read
    LevelReport report;
    LevelLosses losses;     // what the read could not use
};

// Reads a file with its report; false (and error set) when it cannot be read.
bool lvl_open(LvlFile* file, const char* path);
void lvl_close(LvlFile* file);

struct LvlTileset {
    bool present; // the file carries its own bitmap
    uint32_t bytes;
    int32_t width, height; // from the BMP's info header, 0 when it has none
};
LvlTileset lvl_tileset(const LvlFile& file);

struct LvlRegion {
    const LevelRegionRead* read;
    std::string name;
    uint64_t cells;
    int32_t x0, y0, x1, y1; // bounding box, inclusive; meaningful when cells > 0
};
// The regions in file order with their cells counted in one pass over the membership store.
std::vector<LvlRegion> lvl_regions(const LvlFile& file);

// Non-empty cells (object fillers included) and objects by tile 216..220.
uint64_t lvl_tile_count(const MapData* map);
void lvl_object_counts(const MapData* map, uint64_t counts[5]);

// Chunks of the elvl block that the reader keeps as they are, in file order.
bool lvl_is_kept_chunk(const LevelChunk& chunk);

// Every problem of a file, the reader's and the tool's own, sorted by offset (those
// without one last).
std::vector<LevelProblem> lvl_problems(const LvlFile& file, const std::vector<LvlRegion>& regions);
std::string lvl_problem_text(const LevelProblem& problem);

// The commands; each returns the process's exit status.
int lvl_main(int argc, char** argv, FILE* out, FILE* err);
int lvl_info(const std::vector<std::string>& files, bool json, FILE* out, FILE* err);
int lvl_check(const std::vector<std::string>& files, FILE* out, FILE* err);
int lvl_convert(const std::vector<std::string>& pairs, bool stamp, FILE* out, FILE* err);

struct LvlRenderOptions {
    int scale = 1;                            // 1, 4, 8 or 16 pixels per tile
    int32_t x = 0, y = 0, w = 1024, h = 1024; // the area, in cells
    bool regions = false;
    bool grid = false;
    bool force = false; // replace an existing output that is not a PNG picture
};
int lvl_render(const std::vector<std::string>& pairs, const LvlRenderOptions& options, FILE* out,
               FILE* err);
