// level_report.cpp - collecting what a read met: problems with their file offsets, and the
// chunks, attributes and regions in the order the file holds them.
#include "map/lvl/level_report.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "map/model/mapdata.h"
#include "map/model/tilegrid.h"

namespace {

// Filler records remembered for their offsets; a file of nothing else must not cost more.
constexpr size_t kFillerRecordLimit = 65536;

bool cover_test(const std::vector<uint64_t>& cover, uint32_t cell) {
    return !cover.empty() && (cover[cell >> 6] >> (cell & 63)) & 1u;
}

void add_problem(LevelReport* report, int64_t offset, std::string text) {
    if (report->problems.size() >= kLevelReportProblemLimit) {
        ++report->problems_dropped;
        return;
    }
    report->problems.push_back({offset, std::move(text)});
}

} // namespace

uint64_t level_report_offset(const LevelReport* report, const uint8_t* at) {
    return report->base_offset + static_cast<uint64_t>(at - report->base);
}

void level_report_problem(LevelReport* report, const uint8_t* at, const char* fmt, ...) {
    // Past the cap a problem is only counted: a hostile file can hold millions.
    if (report->problems.size() >= kLevelReportProblemLimit) {
        ++report->problems_dropped;
        return;
    }
    char text[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    add_problem(report, at ? static_cast<int64_t>(level_report_offset(report, at)) : -1, text);
}

LevelReportBase level_report_enter_copy(LevelReport* report, const void* copy) {
    LevelReportBase saved{report->base, report->base_offset};
    auto found = report->copy_offsets.find(copy);
    report->base = static_cast<const uint8_t*>(copy);
    report->base_offset = found != report->copy_offsets.end() ? found->second : 0;
    return saved;
}

void level_report_leave(LevelReport* report, LevelReportBase saved) {
    report->base = saved.base;
    report->base_offset = saved.base_offset;
}

void level_report_chunk(LevelReport* report, const uint8_t* at, const void* copy) {
    uint64_t offset = level_report_offset(report, at);
    // A copy's address may be that of one released earlier: the newest note wins.
    report->copy_offsets[copy] = offset;
    if (!report->walked) return;
    LevelChunk chunk{};
    for (int i = 0; i < 4 && at[i]; ++i)
        chunk.type[i] = static_cast<char>(at[i]);
    chunk.offset = offset;
    chunk.length =
        uint32_t{at[4]} | uint32_t{at[5]} << 8 | uint32_t{at[6]} << 16 | uint32_t{at[7]} << 24;
    report->walked->push_back(chunk);
}

void level_report_object(LevelReport* report, const uint8_t* record, uint32_t x, uint32_t y,
                         int tile) {
    if (report->object_cover.empty()) report->object_cover.resize(1024 * 1024 / 64);
    uint32_t n = tile == 216 || tile == 218 ? 1 : tile == 217 ? 2 : tile == 219 ? 6 : 5;
    bool overlaps = false;
    uint32_t width = std::min(n, 1024 - x);
    for (uint32_t j = 0; j < n && y + j < 1024; ++j)
        // A row of the square is at most two runs of bits, one per 64-bit word.
        for (uint32_t i = 0; i < width;) {
            uint32_t cell = (y + j) * 1024 + x + i, bit = cell & 63;
            uint32_t take = std::min(width - i, 64 - bit);
            uint64_t mask = (take == 64 ? ~uint64_t{0} : (uint64_t{1} << take) - 1) << bit;
            uint64_t& word = report->object_cover[cell >> 6];
            overlaps = overlaps || (word & mask) != 0;
            word |= mask;
            i += take;
        }
    if (overlaps)
        level_report_problem(report, record, "object %d at (%u, %u) overlaps another object", tile,
                             x, y);
}

void level_report_filler(LevelReport* report, const uint8_t* record, uint32_t x, uint32_t y) {
    if (report->filler_records.size() < kFillerRecordLimit)
        report->filler_records.push_back({y * 1024 + x, level_report_offset(report, record)});
    else
        report->filler_overflow = true;
}

void level_report_finish(LevelReport* report, const MapData* map) {
    if (!map->tiles) return;
    // The last record for a cell is the one whose filler stayed; problems go in file order.
    std::unordered_map<uint32_t, uint64_t> last;
    for (const auto& [cell, offset] : report->filler_records)
        last[cell] = offset;
    std::vector<std::pair<uint64_t, uint32_t>> stray;
    for (const auto& [cell, offset] : last) {
        int32_t x = static_cast<int32_t>(cell & 1023), y = static_cast<int32_t>(cell >> 10);
        if (tilegrid_get(map->tiles, x, y) == TILE_FILLER &&
            !cover_test(report->object_cover, cell))
            stray.push_back({offset, cell});
    }
    std::sort(stray.begin(), stray.end());
    for (const auto& [offset, cell] : stray)
        add_problem(report, static_cast<int64_t>(offset),
                    "filler tile 250 at (" + std::to_string(cell & 1023) + ", " +
                        std::to_string(cell >> 10) + ") outside any object");
    if (report->filler_overflow) {
        // Past the remembered records, stray fillers are only counted.
        uint64_t more = 0;
        tilegrid_for_each_set(map->tiles, [&](int32_t x, int32_t y, uint8_t tile) {
            uint32_t cell = static_cast<uint32_t>(y) * 1024 + static_cast<uint32_t>(x);
            more +=
                tile == TILE_FILLER && !cover_test(report->object_cover, cell) && !last.count(cell);
        });
        if (more > 0)
            add_problem(report, -1,
                        std::to_string(more) + " more filler tiles (250) outside any object");
    }
    report->filler_records.clear();
    report->object_cover.clear();
}
