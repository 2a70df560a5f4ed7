// region_read.cpp - one "REGN" chunk of a level file into a region of the map: its name, its
// rTIL cells and the sub-chunks kept as they are.
#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/log.h"
#include "core/mem.h"
#include "core/text.h"
#include "map/lvl/elvl.h"
#include "map/lvl/level_reading.h"
#include "map/lvl/level_report.h"
#include "map/lvl/region_codec.h"
#include "map/model/model_raw.h"
#include "map/model/region.h"

namespace {

// A region of the map a read is filling.
struct RegionReading {
    LevelReading* reading;
    Region* region;
};

int handle_subchunk(const char*, void* chunk, void* user) {
    auto* r = static_cast<RegionReading*>(user);
    Region* region = r->region;
    const uint8_t* data = elvl_chunk_data(chunk);
    uint32_t length = elvl_chunk_length(chunk);
    if (elvl_chunk_is(chunk, "rNAM")) {
        // The first name counts; a zero byte inside it ends the text there.
        if (!region->name) {
            region->name = static_cast<char*>(mem_alloc(length + 1));
            std::memcpy(region->name, data, length);
        }
    } else if (elvl_chunk_is(chunk, "rTIL")) {
        mapdata_init_region_store(region->owner);
        LevelReport* report = r->reading->report;
        LevelReportBase saved{};
        if (report) saved = level_report_enter_copy(report, chunk);
        const char* fault = "";
        if (!region_decode_tiles(r->reading, region, data, static_cast<int32_t>(length), &fault)) {
            log_msg_capped(&r->reading->log_lines[READLOG_REGION], kReadLogCap, 'W',
                           "<mapdata> error in lvl file while reading rle tile data");
            ++r->reading->losses.region_data;
            if (report)
                level_report_problem(report, report->base,
                                     "region '%s' has damaged cell data, read only up to the "
                                     "damage (rTIL: %s)",
                                     text_name(report->region_name).c_str(), fault);
        }
        if (report) level_report_leave(report, saved);
    } else {
        return 0;
    }
    mem_free(chunk);
    return 1;
}

// Finds the first "rNAM" copy (chunks of one type are visited in file order).
int find_name_chunk(const char*, void* chunk, void* found) {
    auto** name = static_cast<const void**>(found);
    if (!*name && elvl_chunk_is(chunk, "rNAM")) *name = chunk;
    return 0;
}

} // namespace

void mapdata_read_region(LevelReading* reading, const uint8_t* data, uint32_t length) {
    MapData* map = reading->map;
    auto* region = static_cast<Region*>(mem_alloc(sizeof(Region)));
    region->owner = map;
    region->subchunks = hash_create();
    // The walk takes a signed length; no chunk comes near the cut.
    auto area = static_cast<int32_t>(length > INT32_MAX ? INT32_MAX : length);
    LevelReport* report = reading->report;
    std::vector<LevelChunk> walked;
    // The region's sub-chunks are listed apart; the outer walk's list comes back after.
    std::vector<LevelChunk>* outer = report ? report->walked : nullptr;
    if (report) report->walked = &walked;
    if (!elvl_read_chunks(region->subchunks, data, area, report)) {
        log_msg_capped(&reading->log_lines[READLOG_REGION], kReadLogCap, 'W',
                       "<mapdata> error in lvl while reading region chunks");
        ++reading->losses.chunk_areas;
    }
    if (report) report->walked = outer;
    // Without a name the region and all its sub-chunks are dropped, rTIL data included.
    const void* name_chunk = nullptr;
    hash_filter(region->subchunks, find_name_chunk, &name_chunk);
    if (!name_chunk) {
        if (report)
            level_report_problem(report, report->base,
                                 "a region without a name was left out with its cells (REGN "
                                 "without rNAM)");
        region_free(region);
        return;
    }
    if (report)
        report->region_name.assign(
            reinterpret_cast<const char*>(elvl_chunk_data(name_chunk)),
            strnlen(reinterpret_cast<const char*>(elvl_chunk_data(name_chunk)),
                    elvl_chunk_length(name_chunk)));
    RegionReading filling{reading, region};
    hash_filter(region->subchunks, handle_subchunk, &filling);
    // Most regions keep no sub-chunks: an empty table would cost more than the region.
    if (region->subchunks->count == 0) {
        hash_free(region->subchunks);
        region->subchunks = nullptr;
    }
    mapdata_link_region(map, region, UINT32_MAX);
    if (report) report->regions.push_back({region, report->base_offset, std::move(walked)});
}
