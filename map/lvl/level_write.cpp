// level_write.cpp - laying out a map as a level file, saving it through the safe save, and
// saying what a save did not store.
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/hash.h"
#include "core/log.h"
#include "core/platform.h"
#include "map/lvl/builtin_tileset.h"
#include "map/lvl/elvl.h"
#include "map/lvl/level.h"
#include "map/lvl/level_reading.h"
#include "map/model/attributes.h"
#include "map/model/mapdata.h"
#include "map/lvl/region_codec.h"
#include "map/model/region.h"
#include "core/safe_save.h"
#include "core/text.h"

namespace {

// The elvl block's offset lives in a 16-bit field, so the bitmap must end below 64 KiB.
constexpr uint64_t kMaxMetadataOffset = 0xFFFF;

struct AttrContext {
    std::vector<uint8_t>* out;
    uint32_t length; // bytes of "ATTR" chunks written so far
    uint32_t lines;  // detail lines logged, capped like the reader's
};

void store_u32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

void log_written(const char* label, uint64_t offset, uint64_t length) {
    log_msg('D', "written:%-12s at:%5d len:%5d", label, static_cast<int>(offset),
            static_cast<int>(length));
}

// Cells that give a record: anything but empty cells and object fillers.
inline bool is_record_tile(uint8_t tile) {
    return tile != 0 && tile != TILE_FILLER;
}

// A sub-block column read as a word holds cell y mod 8 in byte y mod 8.
static_assert(std::endian::native == std::endian::little);

uint32_t count_records(const TileGrid* grid) {
    uint32_t count = 0;
    for (const TileBlock* block : grid->blocks) {
        if (!block) continue;
        for (const TileSubBlock* sub : block->sub) {
            if (!sub) continue;
            // A plain loop over the 64 cells, which the compiler turns into vector code.
            uint32_t in_sub = 0;
            for (uint8_t tile : sub->cells)
                in_sub += is_record_tile(tile);
            count += in_sub;
        }
    }
    return count;
}

// Records by row, then column. Each band of 32 rows first gathers its present blocks and each
// band of 8 rows its non-empty sub-blocks, left to right, so empty areas cost nothing per row;
// within a row every gathered sub-block gives one run of up to 8 records.
// The records go into buffer, which holds count_records() records; returns the bytes written.
// The write position is a local variable, so the byte stores cannot make the compiler reload it.
size_t write_records(const TileGrid* grid, uint8_t* buffer) {
    uint8_t* out = buffer;
    struct Run {
        uint32_t x0;
        const TileSubBlock* sub;
        uint64_t rows; // byte y mod 8 is non-zero when that row of the sub-block has a tile
    };
    Run runs[128];
    const TileBlock* row_blocks[32];
    uint32_t row_x[32];
    for (uint32_t block_row = 0; block_row < 32; ++block_row) {
        uint32_t blocks = 0;
        for (uint32_t bx = 0; bx < 32; ++bx) {
            if (const TileBlock* block = grid->blocks[bx * 32 + block_row]) {
                row_blocks[blocks] = block;
                row_x[blocks++] = bx * 32;
            }
        }
        for (uint32_t sub_row = 0; sub_row < 4 && blocks > 0; ++sub_row) {
            uint32_t count = 0;
            for (uint32_t b = 0; b < blocks; ++b) {
                for (uint32_t sx = 0; sx < 4; ++sx) {
                    const TileSubBlock* sub = row_blocks[b]->sub[sx * 4 + sub_row];
                    if (!sub) continue;
                    uint64_t columns[8];
                    std::memcpy(columns, sub->cells, sizeof columns);
                    uint64_t rows = (columns[0] | columns[1] | columns[2] | columns[3]) |
                                    (columns[4] | columns[5] | columns[6] | columns[7]);
                    if (rows) runs[count++] = {row_x[b] + sx * 8, sub, rows};
                }
            }
            uint32_t y0 = block_row * 32 + sub_row * 8;
            for (uint32_t cell_row = 0; cell_row < 8 && count > 0; ++cell_row) {
                uint32_t y = y0 + cell_row;
                for (uint32_t r = 0; r < count; ++r) {
                    if (((runs[r].rows >> (cell_row * 8)) & 0xFF) == 0) continue;
                    const uint8_t* cells = runs[r].sub->cells + cell_row;
#pragma GCC unroll 8
                    for (uint32_t i = 0; i < 8; ++i) {
                        uint8_t tile = cells[i * 8];
                        if (!is_record_tile(tile)) continue;
                        store_u32(out, (runs[r].x0 + i) | y << 12 | uint32_t{tile} << 24);
                        out += 4;
                    }
                }
            }
        }
    }
    return static_cast<size_t>(out - buffer);
}

} // namespace

int mapdata_write_attr(const char* key, void* value, void* context) {
    auto* ctx = static_cast<AttrContext*>(context);
    const auto* text = static_cast<const char*>(value);
    size_t key_length = std::strlen(key), value_length = std::strlen(text);
    auto length = static_cast<uint32_t>(key_length + 1 + value_length);
    std::vector<uint8_t> data(length);
    std::memcpy(data.data(), key, key_length);
    data[key_length] = '=';
    std::memcpy(data.data() + key_length + 1, text, value_length);
    size_t before = ctx->out->size();
    elvl_append_chunk(ctx->out, "ATTR", data.data(), length);
    auto chunk_length = static_cast<uint32_t>(ctx->out->size() - before);
    ctx->length += chunk_length;
    log_msg_capped(&ctx->lines, kReadLogCap, 'D',
                   "written ATTR: '%s=%s'. chunklen:%d (%d+%d+padding)", key, text,
                   static_cast<int>(chunk_length), 8, static_cast<int>(length));
    return 0;
}

namespace {

// What lay_out_head decided.
struct Head {
    uint64_t bitmap_length; // B, a multiple of 4
    bool metadata;          // an elvl block was written
    uint64_t chunks;        // bytes of chunks in the elvl block
    bool regions_whole;     // every region's cells fitted its chunk
    bool no_tileset;        // saved without a bitmap, so without an elvl block
    bool lost_metadata;     // ... and the map held metadata that needed one
};

int keep_unless_program(const char* key, void*, void* found) {
    if (text_icmp(key, "PROGRAM") != 0) *static_cast<bool*>(found) = true;
    return 0;
}

// True when the map holds what only an elvl block can store: attributes besides the
// editor's own "PROGRAM" stamp, regions, or chunks kept from the file.
bool has_metadata(MapData* map) {
    bool found = false;
    if (map->attributes) hash_filter(map->attributes, keep_unless_program, &found);
    if (map->region_order.head) found = true;
    if (map->kept_chunks && map->kept_chunks->count > 0) found = true;
    return found;
}

// Lays out everything before the tile records: the bitmap, then the elvl header, the "ATTR"
// chunks, the "REGN" chunks and the kept chunks. The two header fields that depend on the
// layout are filled in here already, as the records that follow cannot change them.
bool lay_out_head(MapData* map, const char* program, std::vector<uint8_t>* out, Head* head) {
    out->clear();
    if (!map || !map->tiles) return false;
    // A bitmap too short to hold a BMP header cannot carry the two patched fields: such a
    // map is saved with the built-in tileset.
    const uint8_t* bitmap = map->tileset;
    uint32_t bitmap_length = map->tileset_length;
    if (!bitmap || bitmap_length < 14 || bitmap[0] != 'B' || bitmap[1] != 'M')
        bitmap = builtin_tileset(&bitmap_length);
    // The elvl header starts at a multiple of 4.
    uint64_t b = (uint64_t{bitmap_length} + 3) & ~uint64_t{3};
    bool metadata = b <= kMaxMetadataOffset;
    out->reserve(b + 4096);
    out->assign(bitmap, bitmap + bitmap_length);
    out->resize(b, 0);
    log_written("tileset", 0, b);

    uint64_t chunks = 0;
    bool regions_whole = true;
    if (metadata) {
        const uint8_t header[12] = {'e', 'l', 'v', 'l', 12, 0, 0, 0, 0, 0, 0, 0};
        out->insert(out->end(), header, header + 12);
        log_written("elvl header", b, 12);
        AttributeTable attributes = attributes_for_save(*map, program);
        if (attributes->count > 0) {
            AttrContext ctx{out, 0, 0};
            // The table's order, as the table would be after reading this file back, so that
            // the next save of the reloaded map gives the same bytes; no resize on the way.
            hash_foreach_settled(attributes.get(), mapdata_write_attr, &ctx);
            log_written("attr's", b + 12, ctx.length);
            chunks += ctx.length;
        }
        // Regions follow the attributes and come before the kept chunks. A region too large
        // for one chunk is logged by the region writer and reported in the result; the rest
        // of the map is still saved.
        std::vector<uint8_t> regions;
        regions_whole = mapdata_write_regions(map, &regions) != 0;
        if (!regions.empty()) {
            out->insert(out->end(), regions.begin(), regions.end());
            log_written("regions", b + 12 + chunks, regions.size());
            chunks += regions.size();
        }
        // Chunks of types this editor does not handle go back byte for byte, in file order.
        if (map->kept_chunks) {
            size_t before = out->size();
            hash_foreach_added(
                map->kept_chunks,
                [](const char*, void* copy, void* user) {
                    elvl_append_copy(static_cast<std::vector<uint8_t>*>(user), copy);
                    return 0;
                },
                out);
            if (out->size() > before) {
                log_written("kept chunks", b + 12 + chunks, out->size() - before);
                chunks += out->size() - before;
            }
        }
    } else {
        log_msg('W',
                "<mapdata> a tileset of %u bytes is too large to store this map's "
                "attributes: they are not saved",
                static_cast<unsigned>(b));
    }
    // The offset of the first record must fit its 32-bit field, with room for every record.
    if (out->size() + 4 * uint64_t{1048576} > 0xFFFFFFFFull) {
        out->clear();
        return false;
    }
    store_u32(out->data() + 2, static_cast<uint32_t>(out->size()));
    // Without an elvl block the field reads 0 instead of a cut-off pointer into the pixels.
    uint32_t elvl_offset = metadata ? static_cast<uint32_t>(b) : 0;
    (*out)[6] = static_cast<uint8_t>(elvl_offset);
    (*out)[7] = static_cast<uint8_t>(elvl_offset >> 8);
    if (metadata) store_u32(out->data() + b + 4, static_cast<uint32_t>(12 + chunks));
    *head = {b, metadata, chunks, regions_whole, false, false};
    return true;
}

// The log lines of the tile records and of the two header fields filled in before them.
int finish_log(const Head& head, uint64_t records_offset, uint64_t records_length) {
    log_written("map data", records_offset, records_length);
    if (head.no_tileset) return head.lost_metadata ? MAPDATA_SAVE_NO_TILESET : MAPDATA_SAVE_OK;
    log_written("bmp header", 0, 14);
    if (head.metadata) log_written("elvl header", head.bitmap_length, 12);
    if (!head.metadata) return MAPDATA_SAVE_NO_METADATA;
    return head.regions_whole ? MAPDATA_SAVE_OK : MAPDATA_SAVE_REGIONS_CUT;
}

// The whole file in one buffer: the head, then the records, counted first so that the buffer
// is sized exactly and goes out in one write.
struct FileImage {
    std::unique_ptr<uint8_t[]> bytes;
    size_t size;
    int result;
};

bool lay_out_file(MapData* map, const char* program, FileImage* image) {
    std::vector<uint8_t> head_bytes;
    Head head{};
    // Without a record such a file would be empty, which no reader takes for a level: then
    // the built-in tileset goes with it.
    if (map && map->tiles && map->tileset_placeholder && count_records(map->tiles) > 0) {
        // A map read without a bitmap is saved without one: the tile records start the file
        // (a record can never begin with "BM", as its column would be past 1023).
        head.no_tileset = true;
        head.lost_metadata = has_metadata(map);
        if (head.lost_metadata)
            log_msg('W', "<mapdata> a map without a tileset cannot store its attributes, "
                         "regions or kept chunks: they are not saved");
    } else if (!lay_out_head(map, program, &head_bytes, &head)) {
        return false;
    }
    size_t head_size = head_bytes.size();
    image->bytes.reset(new uint8_t[head_size + 4 * size_t{count_records(map->tiles)}]);
    if (head_size > 0) std::memcpy(image->bytes.get(), head_bytes.data(), head_size);
    size_t records = write_records(map->tiles, image->bytes.get() + head_size);
    image->size = head_size + records;
    image->result = finish_log(head, head_size, records);
    return true;
}

} // namespace

int mapdata_save_bytes(MapData* map, std::vector<uint8_t>* out, const char* program) {
    out->clear();
    FileImage image{};
    if (!lay_out_file(map, program, &image)) return MAPDATA_SAVE_FAILED;
    out->assign(image.bytes.get(), image.bytes.get() + image.size);
    return image.result;
}

bool mapdata_save_complete(const MapSave& save) {
    return save.result == MAPDATA_SAVE_OK && save.losses.empty();
}

std::string level_losses_text(const LevelLosses& losses) {
    std::string text;
    auto add = [&](uint64_t count, const char* what) {
        if (count == 0) return;
        text += (text.empty() ? "" : ", ") + text_count(count) + " " + what;
    };
    add(losses.tile_records, "tile records outside the map");
    add(losses.chunk_areas, "damaged metadata areas");
    add(losses.region_data, "damaged region cell lists");
    add(losses.region_cells, "region cells past the limit of 255 region sets");
    if (losses.region_data_cut)
        text += std::string(text.empty() ? "" : ", ") + "region cells past the decoding limit";
    return text;
}

SaveWords save_words(const MapSave& save, const char* path) {
    const std::string as = std::string("saved as ") + text_escaped(path ? path : "");
    if (save.refused_losses)
        return {SaveOutcome::failed, "not " + as + ": the read of its file left out " +
                                         save.losses + "; \"?save!\" saves it without them"};
    if (save.result == MAPDATA_SAVE_FAILED)
        return {SaveOutcome::failed,
                "could not be " + as + ": " +
                    (save.failure.empty() ? file_error_text(save.error) : save.failure)};
    std::vector<std::string> parts;
    if (save.result == MAPDATA_SAVE_NO_METADATA)
        parts.push_back("without attributes or regions: tileset too large");
    else if (save.result == MAPDATA_SAVE_NO_TILESET)
        parts.push_back("without attributes or regions: it has no tileset (?tileset <file.bmp> "
                        "gives it one)");
    else if (save.result == MAPDATA_SAVE_REGIONS_CUT)
        parts.push_back(", but a region too large to store was cut");
    if (!save.losses.empty())
        parts.push_back(", without what the read of its file left out (" + save.losses + ")");
    SaveOutcome outcome = parts.empty() ? SaveOutcome::whole : SaveOutcome::partial;
    if (save.hard_links > 1)
        parts.push_back("; the file had " + text_count(save.hard_links) +
                        " hard links: the others keep the old map");
    if (!save.owner_kept) parts.push_back("; the file now belongs to you, not to its old owner");
    if (outcome == SaveOutcome::whole && !parts.empty()) outcome = SaveOutcome::noted;
    std::string text = as;
    for (const std::string& part : parts)
        text += (part[0] == ',' || part[0] == ';' ? "" : " ") + part;
    return {outcome, text};
}

MapSave mapdata_save(MapData* map, const char* path, const LevelLosses& losses,
                     bool accept_losses, const char* program) {
    MapSave save;
    if (!map || !path || !*path) {
        save.error = ENOENT;
        return save;
    }
    save.losses = level_losses_text(losses);
    if (!accept_losses && !save.losses.empty()) {
        save.refused_losses = true;
        return save;
    }
    FileImage image{};
    SafeSave file;
    if (!lay_out_file(map, program, &image)) {
        save.error = EFBIG;
    } else {
        save.error = safe_save_file(path, std::span<const uint8_t>(image.bytes.get(), image.size),
                                    {}, &file);
    }
    if (save.error != 0) {
        log_msg('W', "<mapdata> error writing level file '%s': %s", path,
                file_error_text(save.error));
        return save;
    }
    save.result = image.result;
    save.hard_links = file.hard_links;
    save.owner_kept = file.owner_kept;
    return save;
}
