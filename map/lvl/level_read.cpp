// level_read.cpp - turning a level file's bytes into a map: tileset, elvl block, tile records.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <span>
#include <string>
#include <vector>

#include "core/hash.h"
#include "core/log.h"
#include "core/mem.h"
#include "core/platform.h"
#include "map/lvl/builtin_tileset.h"
#include "map/lvl/elvl.h"
#include "map/lvl/level.h"
#include "map/lvl/level_reading.h"
#include "map/lvl/level_records.h"
#include "map/lvl/level_report.h"
#include "map/model/mapdata.h"
#include "map/model/model_raw.h"
#include "map/model/stamp.h"
#include "core/safe_save.h"
#include "core/text.h"

namespace {

uint32_t load_u32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

uint64_t round_up4(uint64_t n) {
    return (n + 3) & ~uint64_t{3};
}

// Where the BMP header says the elvl block is, when the block is accepted.
struct ElvlBlock {
    bool present;
    uint32_t offset; // r, from the BMP header's first reserved field
    uint32_t total;  // the block's length, its 12-byte header included
};

bool has_bmp_header(std::span<const uint8_t> bytes) {
    return bytes.size() >= 14 && bytes[0] == 'B' && bytes[1] == 'M';
}

ElvlBlock find_elvl(std::span<const uint8_t> bytes) {
    if (!has_bmp_header(bytes)) return {};
    uint32_t r = uint32_t{bytes[6]} | uint32_t{bytes[7]} << 8;
    if (r == 0 || bytes.size() < uint64_t{r} + 12) return {};
    if (std::memcmp(bytes.data() + r, "elvl", 4) != 0) return {};
    uint32_t total = load_u32(bytes.data() + r + 4);
    if (bytes.size() < uint64_t{r} + total) return {};
    return {true, r, total};
}

// False when the BMP header promises pixel rows the bytes cannot hold, or sizes no bitmap has:
// the decoder would fail on such a file only after making a surface of the promised size,
// which a hostile file could put at gigabytes.
} // namespace

bool tileset_bmp_fits(const uint8_t* bmp, uint32_t length) {
    // A bitmap too short for its own header would be decoded from made-up sizes.
    if (length < 18) return false;
    uint32_t header = load_u32(bmp + 14);
    int64_t width, height;
    uint32_t bits, compression = 0;
    if (header == 12) {
        if (length < 26) return false;
        width = bmp[18] | bmp[19] << 8;
        height = bmp[20] | bmp[21] << 8;
        bits = bmp[24] | bmp[25] << 8;
    } else {
        if (length < 34) return false;
        width = static_cast<int32_t>(load_u32(bmp + 18));
        height = static_cast<int32_t>(load_u32(bmp + 22));
        bits = bmp[28] | bmp[29] << 8;
        compression = load_u32(bmp + 30);
    }
    if (compression != 0 && compression != 3) return true; // refused before any surface
    if (height < 0) height = -height;
    // Sides up to 32,768 keep the sums below in range; no tileset comes near.
    if (width <= 0 || height == 0 || width > 32768 || height > 32768) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    int64_t row = (width * bits + 7) / 8, pitch = (width * bits + 31) / 32 * 4;
    return load_u32(bmp + 10) + pitch * (height - 1) + row <= int64_t{length};
}

namespace {

// True when path names a regular file (not a link) holding exactly these bytes: reopening a
// map with the same tileset then costs one read instead of a save.
bool same_regular_file(const char* path, const uint8_t* bytes, uint32_t length) {
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st {};
    bool same =
        fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size == static_cast<off_t>(length);
    std::vector<uint8_t> held(same ? length : 0);
    // One read of at most a tileset's size; a short read counts as different.
    same = same && read(fd, held.data(), length) == static_cast<ssize_t>(length) &&
           std::memcmp(held.data(), bytes, length) == 0;
    close(fd);
    return same;
}

// The copy goes through the safe save like every file we write; a link or anything but a
// regular file under its name is left alone, so a load never writes through it to another
// file. Not synced: it is made again by the next load.
void write_tileset_copy(const uint8_t* bytes, uint32_t length) {
    // A missing graphics folder or a read-only disk only costs the copy.
    std::string copy_path = platform_asset_path(kTilesetCopyPath);
    if (same_regular_file(copy_path.c_str(), bytes, length)) return;
    SafeSaveOptions options;
    options.refuse_links = true;
    options.sync = false;
    // A refusal is logged by the save; the map loads all the same.
    (void)safe_save_file(copy_path.c_str(), std::span<const uint8_t>(bytes, length), options);
}

} // namespace

void mapdata_load_tileset(MapData* map, std::span<const uint8_t> bytes,
                          const LevelReadOptions& options) {
    uint8_t* copy;
    uint32_t length;
    if (!has_bmp_header(bytes)) {
        uint32_t builtin_length = 0;
        const uint8_t* builtin = builtin_tileset(&builtin_length);
        copy = static_cast<uint8_t*>(mem_alloc(builtin_length));
        std::memcpy(copy, builtin, builtin_length);
        length = builtin_length;
        log_msg('D', "insert bmp: %d", static_cast<int>(length));
    } else {
        ElvlBlock elvl = find_elvl(bytes);
        uint64_t wanted = elvl.present ? round_up4(elvl.offset) : round_up4(load_u32(&bytes[2]));
        // A size field far past the end of the file must not cost memory: the bitmap ends
        // with the file (raised to a multiple of 4, the part past the end reading as zero).
        uint64_t limit = std::min<uint64_t>(round_up4(bytes.size()), 0xFFFFFFFCu);
        length = static_cast<uint32_t>(wanted < limit ? wanted : limit);
        copy = static_cast<uint8_t*>(mem_alloc(length));
        std::memcpy(copy, bytes.data(), length < bytes.size() ? length : bytes.size());
        log_msg('D', elvl.present ? "got bmp before elvl: %d" : "got bmp: %d",
                static_cast<int>(length));
        if (options.write_tileset_copy) write_tileset_copy(copy, length);
    }
    // A second call replaces the tileset rather than leaking the first one.
    mapdata_take_tileset(map, copy, length, map->tileset_placeholder);
}

void mapdata_load_tileset(MapData* map, const uint8_t* bytes, uint32_t length) {
    mapdata_load_tileset(map, std::span<const uint8_t>(bytes, bytes ? length : 0),
                         LevelReadOptions{true});
}

// Logs the tile records refused so far (a capped kind: a TILE chunk per record is possible).
static void log_refused_records(LevelReading* reading) {
    if (reading->losses.tile_records != 0)
        log_msg_capped(&reading->log_lines[READLOG_TILES], kReadLogCap, 'W',
                       "<mapdata> %d errors in map", static_cast<int>(reading->losses.tile_records));
}

void level_read_tiles(LevelReading* reading, const uint8_t* records, int32_t count) {
    MapData* map = reading->map;
    const uint8_t* end = records + (static_cast<uint32_t>(count) & ~3u);
    if (count >= 4 && map->tiles && reading->report)
        reading->losses.tile_records += level_read_tiles_reporting(map, reading->report, records, end);
    else if (count >= 4 && map->tiles)
        reading->losses.tile_records += level_apply_records(map, records, end);
    log_refused_records(reading);
}

// Facts of the file's layout for a read report: the elvl pointer, the records' start, the bytes
// after the last whole record.
static void report_layout(LevelReport* report, std::span<const uint8_t> bytes, uint64_t start) {
    report->bitmap = has_bmp_header(bytes);
    ElvlBlock elvl = find_elvl(bytes);
    report->elvl = elvl.present;
    report->elvl_offset = elvl.offset;
    report->elvl_total = elvl.total;
    uint32_t pointer = report->bitmap ? (uint32_t{bytes[6]} | uint32_t{bytes[7]} << 8) : 0;
    if (pointer != 0 && !elvl.present)
        level_report_problem(report, bytes.data() + 6,
                             "the map's attributes and regions cannot be found (the BMP header "
                             "points at offset %u for an elvl block, but no whole elvl block is "
                             "there)",
                             pointer);
    report->records_offset = start;
    if (start > bytes.size())
        level_report_problem(report, bytes.data() + 2,
                             "the map's tiles cannot be found (the BMP header puts the tile "
                             "records at offset %llu, past the end of the file of %zu bytes)",
                             static_cast<unsigned long long>(start), bytes.size());
    uint64_t after = start < bytes.size() ? bytes.size() - start : 0;
    report->records = after / 4;
    if (after % 4 != 0)
        level_report_problem(report, bytes.data() + bytes.size() - after % 4,
                             "the file ends with a cut tile (%d stray bytes after the last tile "
                             "record)",
                             static_cast<int>(after % 4));
}

static void read_bytes(LevelReading* reading, std::span<const uint8_t> bytes,
                       const LevelReadOptions& options) {
    MapData* map = reading->map;
    if (!map->tiles) map->tiles = tilegrid_new();
    mapdata_load_tileset(map, bytes, options);
    // A file without a bitmap relies on the zone's standard graphics: the built-in tileset is
    // only for showing it.
    map->tileset_placeholder = !has_bmp_header(bytes);
    uint64_t start = 0;
    if (has_bmp_header(bytes)) {
        ElvlBlock elvl = find_elvl(bytes);
        if (elvl.present) {
            map->kept_chunks = hash_create();
            // A total below 12 gives a negative area, which the walk reports as an error.
            int64_t area = int64_t{elvl.total} - 12;
            if (area > INT32_MAX) area = INT32_MAX;
            const uint8_t* first = bytes.data() + elvl.offset + 12;
            // Each chunk is handled as the walk meets it; the types the handler does not take
            // stay with the map. Handling in file order gives what handling in table order
            // gives: only chunks of one type depend on each other's order, and a table keeps
            // that order too.
            auto keep_unhandled = [](const char* key, void* copy, void* user) {
                auto* r = static_cast<LevelReading*>(user);
                if (!mapdata_handle_chunk(key, copy, r)) hash_add(r->map->kept_chunks, key, copy);
                return 0;
            };
            LevelReport* report = reading->report;
            if (report) report->walked = &report->chunks;
            if (!elvl_walk_chunks(first, static_cast<int32_t>(area), keep_unhandled, reading,
                                  report)) {
                log_msg('W', "<mapdata> error in lvl while reading metadata chunks");
                ++reading->losses.chunk_areas;
            }
            if (report) report->walked = nullptr;
        }
        start = load_u32(&bytes[2]);
    }
    if (reading->report) report_layout(reading->report, bytes, start);
    if (start >= bytes.size()) {
        level_read_tiles(reading, nullptr, 0);
        return;
    }
    uint64_t count = bytes.size() - start;
    // Files past 2 GiB of records: whole records only, in slices the signed count can hold.
    while (count > INT32_MAX) {
        level_read_tiles(reading, bytes.data() + start, INT32_MAX - 3);
        start += INT32_MAX - 3;
        count -= INT32_MAX - 3;
    }
    level_read_tiles(reading, bytes.data() + start, static_cast<int32_t>(count));
}

void mapdata_read_bytes(MapData* map, std::span<const uint8_t> bytes,
                        const LevelReadOptions& options) {
    LevelReport* report = options.report;
    LevelReading reading{map, report};
    reading.decode_budget = options.region_budget;
    if (report) {
        report->base = bytes.data();
        report->base_offset = 0;
    }
    read_bytes(&reading, bytes, options);
    if (report) {
        level_report_finish(report, map);
        report->base = nullptr;
    }
    if (options.losses) *options.losses = reading.losses;
}

// Reads up to want bytes at the descriptor's position into out; fewer only at the file's end
// (a file cut short while we read it) or on an error.
static size_t read_some(int fd, uint8_t* out, size_t want) {
    size_t got = 0;
    while (got < want) {
        ssize_t n = read(fd, out + got, want - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    return got;
}

int mapdata_read_level(MapData* map, const char* path, int* error, LevelLosses* losses) {
    uint64_t size = 0;
    int fd = file_open_checked(path, error, kLevelFileLimit, &size);
    if (fd < 0) return 0;
    // The part before the tile records (bitmap and elvl block, to a multiple of 4 as the
    // tileset keeps it) is read whole; the records are read in pieces that stay in the cache and
    // applied as they come, never copied whole. Files whose records start nowhere sensible, cut
    // while we read, or whose elvl block reaches into the records are read whole like the report
    // reads them.
    uint8_t first[14] = {};
    size_t got = read_some(fd, first, sizeof first);
    bool bitmap = got == sizeof first && first[0] == 'B' && first[1] == 'M';
    uint64_t start = bitmap ? load_u32(first + 2) : 0;
    bool whole = bitmap && (start < sizeof first || start > size);
    std::vector<uint8_t> head;
    // Memory that runs out is a refusal, as for a file read whole.
    try {
        if (bitmap) {
            head.assign(first, first + got);
            head.resize(whole ? size : std::min(round_up4(start), size));
            size_t want = head.size() - sizeof first;
            if (read_some(fd, head.data() + sizeof first, want) != want) {
                whole = true;
            } else if (!whole && (first[6] | first[7]) != 0 && !find_elvl(head).present) {
                whole = true;
                size_t held = head.size();
                head.resize(size);
                head.resize(held + read_some(fd, head.data() + held, size - held));
            }
        }
    } catch (const std::bad_alloc&) {
        close(fd);
        *error = ENOMEM;
        return 0;
    }
    LevelReadOptions options{true};
    options.losses = losses;
    if (whole) {
        close(fd);
        mapdata_read_bytes(map, head, options);
        return 1;
    }
    // The records begin in what was read already: the first bytes of a file without a
    // bitmap, or the head's last bytes past the records' start.
    const uint8_t* begun = bitmap ? head.data() + start : first;
    size_t held = bitmap ? head.size() - start : got;
    alignas(64) uint8_t piece[64 * 1024];
    std::memcpy(piece, begun, held);
    // The head's bytes past the records' start are too few to make a record: read_bytes
    // applies none, and keeps them in the tileset as a whole read does.
    LevelReading reading{map};
    read_bytes(&reading, head, options);
    uint32_t errors = 0;
    for (;;) {
        held += read_some(fd, piece + held, sizeof piece - held);
        size_t records = held & ~size_t{3};
        if (records != 0) errors += level_apply_records(map, piece, piece + records);
        if (held < sizeof piece) break; // the file's end: a cut record is left out
        held -= records;
        std::memcpy(piece, piece + records, held);
    }
    close(fd);
    reading.losses.tile_records += errors;
    if (errors != 0) log_refused_records(&reading);
    if (losses) *losses = reading.losses;
    return 1;
}
