// level_report.h - what a read of a level file met, for the headless tool: the chunks,
// attributes and regions in file order, and every problem with the file offset it lies at.
// The reader fills it only when asked; the map it builds and the log stay the same.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

struct Region;
struct MapData;

// Problems kept per read; further ones are only counted.
inline constexpr size_t kLevelReportProblemLimit = 1000;

struct LevelProblem {
    int64_t offset; // in the file; -1 where no offset applies
    std::string text;
};

struct LevelChunk {
    char type[5];    // the four type bytes as text (a zero byte ends it early)
    uint64_t offset; // of the chunk's 8-byte header in the file
    uint32_t length; // data bytes
};

struct LevelAttribute {
    std::string key, value;
    uint64_t offset; // of its "ATTR" chunk
};

struct LevelRegionRead {
    const Region* region;              // in the map's region order
    uint64_t offset;                   // of its "REGN" chunk
    std::vector<LevelChunk> subchunks; // every sub-chunk, in file order
};

struct LevelReport {
    bool bitmap = false;      // the file starts with a BMP header
    bool elvl = false;        // an elvl block was accepted
    uint64_t elvl_offset = 0; // ... at this offset
    uint64_t elvl_total = 0;  // ... of this length
    uint64_t records_offset = 0;
    uint64_t records = 0;           // whole tile records in the main run
    uint64_t rejected_records = 0;  // outside the map, "TILE" chunks included
    std::vector<LevelChunk> chunks; // the elvl block's chunks, in file order
    std::vector<LevelAttribute> attributes;
    std::vector<LevelRegionRead> regions; // regions that joined the table, in file order
    std::vector<LevelProblem> problems;
    uint64_t problems_dropped = 0; // past kLevelReportProblemLimit

    // While reading: the bytes being handled start at base, which lies at base_offset in the
    // file (the file itself, or a chunk copy whose offset the walk noted).
    const uint8_t* base = nullptr;
    uint64_t base_offset = 0;
    std::unordered_map<const void*, uint64_t> copy_offsets; // chunk copy -> its offset
    std::vector<LevelChunk>* walked = nullptr;              // where the walk lists its chunks
    std::string region_name;                                // of the region being read
    std::vector<uint64_t> object_cover; // one bit per cell under an object's square
    std::vector<std::pair<uint32_t, uint64_t>> filler_records; // (y * 1024 + x, offset)
    bool filler_overflow = false; // more filler records than were remembered
};

// The file offset of a byte inside the bytes being handled.
uint64_t level_report_offset(const LevelReport* report, const uint8_t* at);
// Adds a problem at the offset of at (none when at is null).
void level_report_problem(LevelReport* report, const uint8_t* at, const char* fmt, ...)
    __attribute__((format(printf, 3, 4)));
// Makes a chunk copy the bytes being handled; returns the previous state for the restore.
struct LevelReportBase {
    const uint8_t* base;
    uint64_t base_offset;
};
LevelReportBase level_report_enter_copy(LevelReport* report, const void* copy);
void level_report_leave(LevelReport* report, LevelReportBase saved);
// Notes a chunk the walk found at area (a chunk copy was made of it).
void level_report_chunk(LevelReport* report, const uint8_t* at, const void* copy);
// Record-level checks while tile records are applied: an object square over another one, and
// filler records whose cell must still hold an object's filler when the read ends.
void level_report_object(LevelReport* report, const uint8_t* record, uint32_t x, uint32_t y,
                         int tile);
void level_report_filler(LevelReport* report, const uint8_t* record, uint32_t x, uint32_t y);
// After the read: filler records left outside every object.
void level_report_finish(LevelReport* report, const MapData* map);
