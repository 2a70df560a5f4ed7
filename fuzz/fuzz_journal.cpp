// fuzz_journal.cpp - the edit journal's reader and replay on hostile bytes. Input that starts
// like a journal is read as a whole file; any other input is framed (with a good checksum) as
// one step record after a small base, so that the replay sees bytes the checksum would stop.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/log.h"
#include "fuzz/fuzz_budget.h"
#include "map/edit/journal.h"
#include "map/edit/journal_codec.h"
#include "map/edit/edit.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"
#include "map/model/model_raw.h"
#include "map/model/region.h"

#include <zlib.h>

namespace {

bool tileset_ok(std::span<const uint8_t> bmp) {
    char reason[8];
    return tileset_file_check(bmp, reason, sizeof reason);
}

std::vector<uint8_t> base_level() {
    MapData* map = mapdata_new();
    mapdata_make_default(map);
    Region* region = mapdata_add_region(map, "Start");
    region_add_tile(region, 3, 3);
    std::vector<uint8_t> bytes;
    mapdata_save_bytes(map, &bytes);
    mapdata_free(map);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    [[maybe_unused]] static const int quiet = fuzz_quiet_log();
    static const std::vector<uint8_t> base = base_level();
    std::vector<uint8_t> file;
    if (size >= sizeof kJournalMagic && std::memcmp(data, kJournalMagic, sizeof kJournalMagic) == 0) {
        file.assign(data, data + size);
    } else {
        journal_encode_header(JournalHeader{}, &file);
        journal_encode_map(JOURNAL_BASE, base, &file);
        size_t start = file.size();
        file.resize(start + kJournalFrameBytes);
        file.push_back(JOURNAL_STEP);
        file.insert(file.end(), data, data + size);
        put_u32_at(file.data() + start, static_cast<uint32_t>(size + 1));
        put_u32_at(file.data() + start + 4,
                   static_cast<uint32_t>(crc32(crc32(0L, Z_NULL, 0), file.data() + start + 8,
                                               static_cast<uInt>(size + 1))));
    }
    JournalContents journal = journal_parse(file);
    if (journal.status != JOURNAL_OK) return 0;
    size_t start = journal_rebuild_start(journal);
    if (start >= journal.records.size()) return 0;
    EditedMap map(mapdata_new());
    mapdata_read_bytes(map.get(), journal.records[start].body, fuzz_read_options());
    std::string problem;
    for (size_t i = start + 1; i < journal.records.size(); ++i)
        if (!journal_apply_step(map, journal.records[i].body, &problem, tileset_ok)) break;
    std::vector<uint8_t> saved;
    mapdata_save_bytes(map, &saved);
    return 0;
}
