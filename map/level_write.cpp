// level_write.cpp - laying out a map as a level file and saving it without risking the old one.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "core/hash.h"
#include "core/log.h"
#include "map/builtin_tileset.h"
#include "map/elvl.h"
#include "map/level.h"
#include "map/mapdata.h"
#include "map/region.h"

namespace {

// The elvl block's offset lives in a 16-bit field, so the bitmap must end below 64 KiB.
constexpr uint64_t kMaxMetadataOffset = 0xFFFF;

struct AttrContext {
    std::vector<uint8_t>* out;
    uint32_t length; // bytes of "ATTR" chunks written so far
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

// Writes all bytes; false on any error (a full disk included).
bool write_all(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// The mode a newly created file would get, or the mode of the file being replaced.
mode_t target_mode(const char* path) {
    struct stat st {};
    if (::stat(path, &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
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
    log_msg('D', "written ATTR: '%s=%s'. chunklen:%d (%d+%d+padding)", key, text,
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
};

// Lays out everything before the tile records: the bitmap, then the elvl header, the "ATTR"
// chunks, the "REGN" chunks and the kept chunks. The two header fields that depend on the
// layout are filled in here already, as the records that follow cannot change them.
bool lay_out_head(MapData* map, std::vector<uint8_t>* out, Head* head) {
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
        if (map->attributes) {
            AttrContext ctx{out, 0};
            hash_filter(map->attributes, mapdata_write_attr, &ctx);
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
    *head = {b, metadata, chunks, regions_whole};
    return true;
}

// The log lines of the tile records and of the two header fields filled in before them.
int finish_log(const Head& head, uint64_t records_offset, uint64_t records_length) {
    log_written("map data", records_offset, records_length);
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

bool lay_out_file(MapData* map, FileImage* image) {
    std::vector<uint8_t> head_bytes;
    Head head{};
    if (!lay_out_head(map, &head_bytes, &head)) return false;
    size_t head_size = head_bytes.size();
    image->bytes.reset(new uint8_t[head_size + 4 * size_t{count_records(map->tiles)}]);
    std::memcpy(image->bytes.get(), head_bytes.data(), head_size);
    size_t records = write_records(map->tiles, image->bytes.get() + head_size);
    image->size = head_size + records;
    image->result = finish_log(head, head_size, records);
    return true;
}

} // namespace

int mapdata_save_bytes(MapData* map, std::vector<uint8_t>* out) {
    out->clear();
    FileImage image{};
    if (!lay_out_file(map, &image)) return MAPDATA_SAVE_FAILED;
    out->assign(image.bytes.get(), image.bytes.get() + image.size);
    return image.result;
}

int mapdata_save(MapData* map, const char* path) {
    if (!map || !path || !*path) return MAPDATA_SAVE_FAILED;
    // The new file is written beside the old one and renamed over it only when complete.
    std::string temp = std::string(path) + ".tmpXXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return MAPDATA_SAVE_FAILED;
    FileImage image{};
    bool ok = lay_out_file(map, &image) && ::fchmod(fd, target_mode(path)) == 0 &&
              write_all(fd, image.bytes.get(), image.size);
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temp.c_str(), path) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        log_msg('W', "<mapdata> error writing level file '%s'", path);
        return MAPDATA_SAVE_FAILED;
    }
    return image.result;
}
