// level_records.cpp - applying a level file's tile records to a map's grid: the fast paths for
// records written row by row, objects and their squares, and the read a report asks for.
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cstring>

#include "core/text.h"
#include "map/lvl/level_records.h"
#include "map/lvl/level_report.h"
#include "map/model/mapdata.h"
#include "map/model/model_raw.h"
#include "map/model/stamp.h"
#include "map/model/tilegrid.h"

namespace {

uint32_t load_u32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// Stores eight records at p when they are cells x .. x + 7 of row y (x a multiple of 8 inside
// the map, y inside it: the caller checks the first) and none is an object; false, storing
// nothing, otherwise. The compares run on all eight words at once.
bool store_row_of_eight(TileGrid* grid, const uint8_t* p) {
    // Four words at a time: the width every x86-64 and ARM64 processor has.
    using Words = uint32_t __attribute__((vector_size(16)));
    constexpr Words kLow = {0, 1, 2, 3}, kHigh = {4, 5, 6, 7};
    Words low, high;
    std::memcpy(&low, p, sizeof low);
    std::memcpy(&high, p + 16, sizeof high);
    const uint32_t first = low[0] & 0xFFFFFFu;
    const Words bad = ((low & 0xFFFFFFu) != first + kLow) | ((high & 0xFFFFFFu) != first + kHigh) |
                      ((low >> 24) - 216u <= 4u) | ((high >> 24) - 216u <= 4u);
    uint64_t lanes[2];
    std::memcpy(lanes, &bad, sizeof lanes);
    if ((lanes[0] | lanes[1]) != 0) return false;
    const auto x = static_cast<int32_t>(first & 0xFFFu), y = static_cast<int32_t>(first >> 12);
    // Cell (x mod 8) * 8 + (y mod 8) of the sub-block: the eight go eight bytes apart.
    uint8_t* row = tilegrid_sub_for_write(grid, x, y)->cells + tilegrid_cell_index(0, y);
    // Two records per 64-bit word: their tiles are bits 24 to 31 and 56 to 63.
    uint64_t pairs[4];
    std::memcpy(pairs, p, sizeof pairs);
    for (int i = 0; i < 4; ++i) {
        row[i * 16] = static_cast<uint8_t>(pairs[i] >> 24);
        row[i * 16 + 8] = static_cast<uint8_t>(pairs[i] >> 56);
    }
    return true;
}

// Places an object read from a file: filler cells first, then the anchor, then its stamp.
// Cells past column or row 1023 are left out rather than wrapped to the opposite edge.
[[gnu::noinline]] void place_object(MapData* map, uint32_t x, uint32_t y, uint8_t tile) {
    auto n = static_cast<uint32_t>(object_size(tile));
    tilegrid_fill(map->tiles, x, y, n, n, TILE_FILLER);
    tilegrid_put(map->tiles, static_cast<int32_t>(x), static_cast<int32_t>(y), tile);
    stamp_add(map, static_cast<int32_t>(x), static_cast<int32_t>(y), tile);
}

// Whole rows of a full map, as saves write them (1,024 records of one row in x order, no
// object among them), are gathered as rows of bytes; once the eight rows of an 8 x 8 area are
// in, each sub-block takes its 64 bytes in one pass, turned from rows to columns. A row that
// is anything else goes the record-by-record way, after the rows gathered before it.
struct RowStage {
    alignas(16) uint8_t rows[8][1024];
    uint32_t y0 = 0;   // the first row of the band the gathered rows belong to
    uint32_t held = 0; // bit r: row y0 + r is gathered
};

// Cells (x mod 8) * 8 + (y mod 8) of a sub-block from its eight rows: an 8 x 8 byte transpose.
void store_columns(TileSubBlock* sub, const RowStage& stage, uint32_t x8) {
#if defined(__SSE2__)
    __m128i r[8];
    for (int i = 0; i < 8; ++i)
        r[i] = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&stage.rows[i][x8]));
    __m128i a0 = _mm_unpacklo_epi8(r[0], r[1]), a1 = _mm_unpacklo_epi8(r[2], r[3]);
    __m128i a2 = _mm_unpacklo_epi8(r[4], r[5]), a3 = _mm_unpacklo_epi8(r[6], r[7]);
    __m128i b0 = _mm_unpacklo_epi16(a0, a1), b1 = _mm_unpackhi_epi16(a0, a1);
    __m128i b2 = _mm_unpacklo_epi16(a2, a3), b3 = _mm_unpackhi_epi16(a2, a3);
    auto* out = reinterpret_cast<__m128i*>(sub->cells);
    _mm_storeu_si128(out + 0, _mm_unpacklo_epi32(b0, b2));
    _mm_storeu_si128(out + 1, _mm_unpackhi_epi32(b0, b2));
    _mm_storeu_si128(out + 2, _mm_unpacklo_epi32(b1, b3));
    _mm_storeu_si128(out + 3, _mm_unpackhi_epi32(b1, b3));
#else
    for (uint32_t r = 0; r < 8; ++r)
        for (uint32_t i = 0; i < 8; ++i)
            sub->cells[i * 8 + r] = stage.rows[r][x8 + i];
#endif
}

// Writes the gathered rows into the grid and empties the stage.
void stage_flush(TileGrid* grid, RowStage& stage) {
    if (stage.held == 0) return;
    for (uint32_t x8 = 0; x8 < 1024; x8 += 8) {
        TileSubBlock* sub =
            tilegrid_sub_for_write(grid, static_cast<int32_t>(x8), static_cast<int32_t>(stage.y0));
        if (stage.held == 0xFFu) {
            store_columns(sub, stage, x8);
            continue;
        }
        for (uint32_t r = 0; r < 8; ++r)
            if (stage.held >> r & 1u)
                for (uint32_t i = 0; i < 8; ++i)
                    sub->cells[i * 8 + r] = stage.rows[r][x8 + i];
    }
    stage.held = 0;
}

// Gathers the row of 1,024 records at p when it is a whole row in x order without objects;
// false, with nothing changed, otherwise. p's first record is at x 0 of a row inside the map.
bool stage_row(TileGrid* grid, RowStage& stage, const uint8_t* p) {
    const uint32_t y = load_u32(p) >> 12 & 0xFFFu;
    // The row is packed straight into its place: rows of another band, or an earlier copy of
    // this row, go into the grid first. Until the row passes, its place is not counted held.
    if (stage.held != 0 && ((y & ~7u) != stage.y0 || (stage.held >> (y & 7u) & 1u) != 0))
        stage_flush(grid, stage);
    uint8_t* row = stage.rows[y & 7u];
    // Sixteen records at a time: their positions checked, their tiles (bits 24 to 31) packed to
    // bytes, and the bytes checked for objects. Problems are gathered and tested once a row.
#if defined(__SSE2__)
    __m128i expected[4], positions = _mm_setzero_si128(), objects = _mm_setzero_si128();
    for (uint32_t i = 0; i < 4; ++i)
        expected[i] = _mm_add_epi32(_mm_set1_epi32(static_cast<int>(y << 12)),
                                    _mm_setr_epi32(4 * i, 4 * i + 1, 4 * i + 2, 4 * i + 3));
    for (uint32_t x = 0; x < 1024; x += 16, p += 64) {
        __m128i w[4];
        // Unrolled, so the four words stay in registers.
#pragma GCC unroll 4
        for (uint32_t i = 0; i < 4; ++i) {
            w[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
            positions = _mm_or_si128(positions, _mm_xor_si128(w[i], expected[i]));
            expected[i] = _mm_add_epi32(expected[i], _mm_set1_epi32(16));
            w[i] = _mm_srli_epi32(w[i], 24);
        }
        // Values up to 255: the saturating packs keep them as they are.
        __m128i tiles = _mm_packus_epi16(_mm_packs_epi32(w[0], w[1]), _mm_packs_epi32(w[2], w[3]));
        // A tile from 216 to 220 is an object: clamping to that range leaves it unchanged.
        __m128i clamped = _mm_max_epu8(_mm_min_epu8(tiles, _mm_set1_epi8(char(220))),
                                       _mm_set1_epi8(char(216)));
        objects = _mm_or_si128(objects, _mm_cmpeq_epi8(clamped, tiles));
        _mm_store_si128(reinterpret_cast<__m128i*>(&row[x]), tiles);
    }
    __m128i bad = _mm_or_si128(_mm_and_si128(positions, _mm_set1_epi32(0xFFFFFF)), objects);
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(bad, _mm_setzero_si128())) != 0xFFFF) return false;
#else
    using Words = uint32_t __attribute__((vector_size(16)));
    Words expected = Words{0, 1, 2, 3} + (y << 12), bad = {};
    for (uint32_t x = 0; x < 1024; x += 16, p += 64) {
        Words words[4];
        std::memcpy(words, p, sizeof words);
        for (Words& w : words) {
            bad |= ((w & 0xFFFFFFu) != expected) | ((w >> 24) - 216u <= 4u);
            expected += 4;
            w >>= 24;
        }
        for (int i = 0; i < 16; ++i)
            row[x + i] = static_cast<uint8_t>(words[i / 4][i % 4]);
    }
    uint64_t lanes[2];
    std::memcpy(lanes, &bad, sizeof lanes);
    if ((lanes[0] | lanes[1]) != 0) return false;
#endif
    stage.y0 = y & ~7u;
    stage.held |= 1u << (y & 7u);
    if (stage.held == 0xFFu) stage_flush(grid, stage);
    return true;
}

} // namespace

// The records applied one by one, each problem noted with its offset: the read a report asks for.
uint32_t level_read_tiles_reporting(MapData* map, LevelReport* report, const uint8_t* records,
                                    const uint8_t* end) {
    uint32_t errors = 0;
    const uint8_t* first_zero = nullptr;
    uint64_t zeros = 0;
    for (const uint8_t* p = records; p != end; p += 4) {
        uint32_t word = load_u32(p);
        // An empty tile at (0, 0): filler a file has no reason to hold, counted in one line
        // (and still applied: it empties that cell).
        if (word == 0 && zeros++ == 0) first_zero = p;
        auto tile = static_cast<uint8_t>(word >> 24);
        uint32_t x = word & 0xFFFu, y = (word >> 12) & 0xFFFu;
        if ((x | y) >= 1024) {
            ++errors;
            level_report_problem(report, p,
                                 "a tile outside the map was left out (record for "
                                 "(%u, %u))",
                                 x, y);
        } else if (is_object_tile(tile)) {
            level_report_object(report, p, x, y, tile);
            place_object(map, x, y, tile);
        } else {
            if (tile == TILE_FILLER) level_report_filler(report, p, x, y);
            tilegrid_put(map->tiles, static_cast<int32_t>(x), static_cast<int32_t>(y), tile);
        }
    }
    if (zeros > 0)
        level_report_problem(report, first_zero,
                             "empty filler in the tile list (%s tile records of zero bytes, each "
                             "an empty cell at (0, 0), from here on)",
                             text_count(zeros).c_str());
    report->rejected_records += errors;
    return errors;
}

// Applies the whole records from records to end to the map's grid; returns how many lay outside
// the map.
uint32_t level_apply_records(MapData* map, const uint8_t* records, const uint8_t* end) {
    TileGrid* grid = map->tiles;
    uint32_t errors = 0;
    RowStage stage;
    // Records usually come row by row, so runs of them share one row of an 8 x 8
    // sub-block: where that row starts is looked up only when the run changes
    // (sub-blocks never move during a read). The key holds the upper 9 bits of x and all of
    // y, so a record that matches the key of a valid one is itself inside the map: one
    // compare also does the range test.
    constexpr uint32_t kKeyMask = 0xFFFFF8u;
    uint8_t* row = nullptr; // the sub-block's cells + y mod 8
    uint32_t row_key = ~0u;
    // The hot loop of a load. Eight records that fill one row of a sub-block in x order
    // (how a full map is written) are checked together and stored together; any other
    // record costs one word, two compares and one store.
    for (const uint8_t* p = records; p != end; p += 4) {
        // x 0 of a row inside the map, with the whole row ahead.
        if (end - p >= 4096 && (load_u32(p) & 0xC00FFFu) == 0 && stage_row(grid, stage, p)) {
            p += 4092;
            continue;
        }
        // Anything else comes after the gathered rows in the file: they go in first.
        stage_flush(grid, stage);
        if (end - p >= 32 && (load_u32(p) & 0xC00C07u) == 0 && store_row_of_eight(grid, p)) {
            p += 28;
            continue;
        }
        uint32_t word = load_u32(p);
        auto tile = static_cast<uint8_t>(word >> 24);
        uint32_t key = word & kKeyMask;
        if (key != row_key || tile - 216u <= 4u) [[unlikely]] {
            uint32_t x = word & 0xFFFu, y = (word >> 12) & 0xFFFu;
            if ((x | y) >= 1024) {
                ++errors;
                continue;
            }
            if (tile - 216u <= 4u) {
                place_object(map, x, y, tile);
                continue;
            }
            auto cx = static_cast<int32_t>(x), cy = static_cast<int32_t>(y);
            row = tilegrid_sub_for_write(grid, cx, cy)->cells + tilegrid_cell_index(0, cy);
            row_key = key;
        }
        // Cell (x mod 8) * 8 + (y mod 8) of the sub-block.
        row[(word & 7u) << 3] = tile;
    }
    stage_flush(grid, stage);
    return errors;
}
