// region_codec.cpp - the rTIL run code (decoding and encoding) and writing "REGN" chunks.
#include "map/lvl/region_codec.h"
#include "map/model/model_raw.h"
#include "map/model/region.h"
#include "core/log.h"
#include "core/text.h"
#include "map/lvl/elvl.h"
#include "map/lvl/level_reading.h"
#include "map/lvl/level_report.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int32_t kSide = 1024;

enum RunKind : uint8_t { kSkipCells = 0, kCells = 1, kSkipRows = 2, kRepeatRow = 3 };

// Takes cell steps from the read's decode budget; the read that runs it out gets one problem.
bool take_budget(LevelReading* reading, uint64_t cells) {
    bool was_cut = reading->losses.region_data_cut;
    if (level_take_decode_budget(reading, cells)) return true;
    if (LevelReport* report = reading->report; report && !was_cut)
        level_report_problem(report, report->base,
                             "region '%s' and the regions after it lost cells: the region data "
                             "asks for more work than any map needs",
                             text_name(report->region_name).c_str());
    return false;
}

// Adds the cells of row src to rows first to last - 1. The copies never reach row src, so its
// runs are taken once. Adds nothing when the map's decode budget cannot pay for it.
int32_t copy_row(LevelReading* reading, Region* region, int32_t src, int32_t first, int32_t last) {
    // Reading the row counts as much as copying it once.
    if (!take_budget(reading, kSide)) return 0;
    int32_t starts[kSide / 2 + 1];
    int32_t lengths[kSide / 2 + 1];
    int32_t runs = 0;
    for (int32_t x = 0; x < kSide;) {
        if (!region_contains(region, x, src)) {
            ++x;
            continue;
        }
        int32_t start = x;
        while (x < kSide && region_contains(region, x, src))
            ++x;
        starts[runs] = start;
        lengths[runs++] = x - start;
    }
    int64_t cells = 0;
    for (int32_t i = 0; i < runs; ++i)
        cells += lengths[i];
    if (!take_budget(reading, uint64_t(cells) * uint64_t(last - first)))
        return 0;
    int32_t lost = 0;
    for (int32_t i = 0; i < runs; ++i)
        lost += region_add_block(region, starts[i], first, lengths[i], last - first);
    return lost;
}

// Fills row[x] with 1 for the region's cells of row y; false when the row has none. Absent
// storage reads as no region, so sparse grids are read block by block.
bool read_row(const Region* region, int32_t y, uint8_t* row) {
    const TileGrid* grid = region->owner->region_grid;
    const uint32_t* mask = region->mask;
    uint8_t any = 0;
    for (int32_t x0 = 0; x0 < kSide; x0 += 32) {
        const TileBlock* block = grid->blocks[tilegrid_block_index(x0, y)];
        if (!block) {
            std::memset(row + x0, 0, 32);
            continue;
        }
        for (int32_t x1 = x0; x1 < x0 + 32; x1 += 8) {
            const TileSubBlock* sub = block->sub[tilegrid_sub_index(x1, y)];
            if (!sub) {
                std::memset(row + x1, 0, 8);
                continue;
            }
            for (int32_t x = x1; x < x1 + 8; ++x) {
                uint8_t set = sub->cells[tilegrid_cell_index(x, y)];
                row[x] = static_cast<uint8_t>((mask[set >> 5] >> (set & 31)) & 1u);
                any |= row[x];
            }
        }
    }
    return any != 0;
}

// A count of 1 to 32 takes the short form, up to 1,024 the long form.
void put_code(std::vector<uint8_t>* out, RunKind kind, int32_t count) {
    auto head = static_cast<uint8_t>(kind << 6);
    int32_t n = count - 1;
    if (n < 32) {
        out->push_back(static_cast<uint8_t>(head | n));
    } else {
        out->push_back(static_cast<uint8_t>(head | 0x20 | (n >> 8)));
        out->push_back(static_cast<uint8_t>(n & 0xFF));
    }
}

} // namespace

bool level_take_decode_budget(LevelReading* reading, uint64_t cells) {
    uint64_t budget = reading->decode_budget;
    if (!reading->losses.region_data_cut && reading->decode_work <= budget &&
        cells <= budget - reading->decode_work) {
        reading->decode_work += cells;
        return true;
    }
    if (!reading->losses.region_data_cut)
        log_msg('W',
                "<mapdata> region data asks for more than %u million cell steps: the "
                "region cells after that are not read",
                static_cast<unsigned>(budget >> 20));
    reading->losses.region_data_cut = true;
    return false;
}

int region_decode_tiles(LevelReading* reading, Region* region, const uint8_t* data,
                        int32_t length, const char** fault) {
    const char* ignored = nullptr;
    if (!fault) fault = &ignored;
    *fault = "no data";
    if (!region || !data || length <= 0) return 0;
    mapdata_init_region_store(region->owner);
    int32_t p = 0, x = 0, y = 0, lost = 0;
    int valid = 1;
    while (p < length) {
        if (x < 0 || x >= kSide || y < 0 || y >= kSide) {
            *fault = y >= kSide ? "rows past the map's bottom edge" : "a run past the map's edge";
            valid = 0;
            break;
        }
        uint8_t b = data[p++];
        auto kind = static_cast<RunKind>(b >> 6);
        int32_t n = (b & 31) + 1;
        if (b & 0x20) {
            if (p == length) {
                *fault = "the data ends inside a run";
                valid = 0;
                break;
            }
            n = (b & 31) * 256 + data[p++] + 1;
        }
        if (kind == kSkipCells || kind == kCells) {
            // Cells past column 1,023 are not added; the run still makes the data invalid.
            int32_t inside = std::min(n, kSide - x);
            if (kind == kCells && take_budget(reading, uint64_t(inside)))
                lost += region_add_run(region, x, y, inside);
            x += n;
            if (x == kSide) {
                x = 0;
                ++y;
            }
        } else if (kind == kSkipRows) {
            if (x != 0) {
                *fault = "rows skipped in the middle of a row";
                valid = 0;
                break;
            }
            y += n;
        } else {
            if (x != 0 || y == 0) {
                *fault = y == 0 ? "a row copied before the first row"
                                : "a row copied in the middle of a row";
                valid = 0;
                break;
            }
            // Rows past 1,023 are not added; the code still makes the data invalid.
            lost += copy_row(reading, region, y - 1, y, std::min(y + n, kSide));
            y += n;
        }
    }
    // One warning per rTIL: a few bytes of code could otherwise log a line per map cell.
    if (lost > 0) {
        reading->losses.region_cells += static_cast<uint32_t>(lost);
        log_msg_capped(&reading->log_lines[READLOG_REGION], kReadLogCap, 'W',
                       "<mapdata> overlap limit reached. some region data will be lost.");
        if (LevelReport* report = reading->report)
            level_report_problem(report, report->base,
                                 "region '%s' lost %s cells: too many regions overlap there "
                                 "(the limit of %d region sets was reached)",
                                 text_name(report->region_name).c_str(),
                                 text_count(static_cast<uint64_t>(lost)).c_str(), kRegionSetLimit);
    }
    if (valid && y != kSide) {
        valid = 0;
        *fault = x > kSide         ? "a run past the map's edge"
                 : y > kSide ? "rows past the map's bottom edge"
                             : "the data stops before the last row";
    }
    return valid;
}

void region_encode_tiles(const Region* region, std::vector<uint8_t>* out, int32_t rows) {
    // A region in no set has no cells: its rows need no reading (a map may hold many).
    bool in_a_set = false;
    for (uint32_t word : region->mask)
        in_a_set = in_a_set || word != 0;
    if (!region->owner->region_grid || !in_a_set) rows = 0;
    rows = std::clamp(rows, 0, kSide);
    uint8_t prev[kSide] = {};
    uint8_t cur[kSide];
    RunKind pending = kSkipCells; // kSkipRows or kRepeatRow while rows are being counted
    int32_t pending_rows = 0;
    for (int32_t y = 0; y < kSide; ++y) {
        bool any = y < rows && read_row(region, y, cur);
        RunKind kind = kCells;
        if (!any)
            kind = kSkipRows;
        else if (y > 0 && std::memcmp(cur, prev, kSide) == 0)
            kind = kRepeatRow;
        if (pending_rows > 0 && kind == pending) {
            ++pending_rows;
            continue;
        }
        if (pending_rows > 0) put_code(out, pending, pending_rows);
        pending_rows = 0;
        if (kind == kCells) {
            // Alternating runs that add up to exactly 1,024 close the row.
            for (int32_t x = 0; x < kSide;) {
                int32_t end = x;
                while (end < kSide && cur[end] == cur[x])
                    ++end;
                put_code(out, cur[x] ? kCells : kSkipCells, end - x);
                x = end;
            }
            std::memcpy(prev, cur, kSide);
        } else {
            pending = kind;
            pending_rows = 1;
            if (kind == kSkipRows) std::memset(prev, 0, kSide);
        }
    }
    if (pending_rows > 0) put_code(out, pending, pending_rows);
}

namespace {

uint32_t padded(uint32_t length) {
    return 8 + ((length + 3) & ~3u);
}

// Builds one region's "REGN" data within the chunk limit; false when something was left out.
bool build_region(const Region* region, std::vector<uint8_t>* data) {
    const MapData* map = region->owner;
    uint32_t budget = kElvlMaxChunkLength;
    bool complete = true;
    auto name_length = static_cast<uint32_t>(std::strlen(region->name));
    if (padded(name_length) > budget) {
        name_length = budget - 8;
        complete = false;
    }
    elvl_append_chunk(data, "rNAM", reinterpret_cast<const uint8_t*>(region->name), name_length);
    budget -= padded(name_length);

    // Kept sub-chunks in the order they were read; room for them was there in the chunk
    // they came from.
    struct Kept {
        uint32_t budget;
        bool complete;
        std::vector<const void*> copies;
    } kept{budget, complete, {}};
    if (region->subchunks)
        hash_foreach_added(
            region->subchunks,
            [](const char*, void* copy, void* user) {
                auto* k = static_cast<Kept*>(user);
                uint32_t size = padded(elvl_chunk_length(copy));
                if (size > k->budget) {
                    k->complete = false;
                } else {
                    k->budget -= size;
                    k->copies.push_back(copy);
                }
                return 0;
            },
            &kept);
    budget = kept.budget;
    complete = kept.complete;

    // A map that never had cell data gets none back, so it reads back the same.
    if (map->region_grid && map->region_sets) {
        std::vector<uint8_t> tiles;
        region_encode_tiles(region, &tiles);
        if (padded(static_cast<uint32_t>(tiles.size())) > budget) {
            // Keep the longest run of rows from the top that fits; the rest read as empty.
            bool has_cells = !(tiles.size() == 2 && tiles[0] == 0xA3 && tiles[1] == 0xFF);
            complete = complete && !has_cells;
            int32_t fit = -1, over = kSide;
            while (over - fit > 1) {
                int32_t mid = (fit + over) / 2;
                tiles.clear();
                region_encode_tiles(region, &tiles, mid);
                if (padded(static_cast<uint32_t>(tiles.size())) <= budget)
                    fit = mid;
                else
                    over = mid;
            }
            tiles.clear();
            if (fit >= 0) region_encode_tiles(region, &tiles, fit);
        }
        if (!tiles.empty())
            elvl_append_chunk(data, "rTIL", tiles.data(), static_cast<uint32_t>(tiles.size()));
    }
    for (const void* copy : kept.copies)
        elvl_append_copy(data, copy);
    return complete;
}

} // namespace

int mapdata_write_regions(MapData* map, std::vector<uint8_t>* out) {
    if (!map) return 1;
    int complete = 1;
    for (const ListNode* node = map->region_order.head; node; node = node->next) {
        const auto* region = static_cast<const Region*>(node->data);
        std::vector<uint8_t> data;
        if (!build_region(region, &data)) {
            log_msg('W',
                    "<mapdata> region %.64s does not fit in one chunk; part of it is not saved",
                    region->name);
            complete = 0;
        }
        elvl_append_chunk(out, "REGN", data.data(), static_cast<uint32_t>(data.size()));
    }
    return complete;
}
