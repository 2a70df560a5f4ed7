// tileset_file.cpp - reading a BMP file that can serve as a map's tileset: an 8-bit bitmap of
// 304 x 160 pixels, checked from its header before anything is decoded.
#include <cstdio>
#include <cstring>

#include "core/platform.h"
#include "map/lvl/level.h"

namespace {

constexpr int32_t kTilesetWidth = 304;  // 19 tiles of 16 pixels
constexpr int32_t kTilesetHeight = 160; // 10 tiles of 16 pixels

uint32_t le32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

} // namespace

bool tileset_file_check(std::span<const uint8_t> bmp, char* reason, uint32_t size) {
    if (bmp.size() < 34 || bmp[0] != 'B' || bmp[1] != 'M') {
        std::snprintf(reason, size, "not a BMP file");
        return false;
    }
    if (bmp.size() > kTilesetMaxBytes) {
        std::snprintf(reason, size, "%zu bytes leave no room for the map's attributes (at most %u)",
                      bmp.size(), kTilesetMaxBytes);
        return false;
    }
    auto width = static_cast<int32_t>(le32(&bmp[18]));
    auto height = static_cast<int32_t>(le32(&bmp[22]));
    uint32_t bits = bmp[28] | bmp[29] << 8;
    uint32_t header = le32(&bmp[14]);
    if (header < 40) {
        std::snprintf(reason, size, "its header is of an old kind (%u bytes), not the usual 40",
                      header);
        return false;
    }
    if (width != kTilesetWidth || (height != kTilesetHeight && height != -kTilesetHeight) ||
        bits != 8) {
        std::snprintf(reason, size, "it is %dx%d with %u bits per pixel, not 304x160 with 8", width,
                      height < 0 ? -height : height, bits);
        return false;
    }
    if (le32(&bmp[30]) != 0) {
        std::snprintf(reason, size, "its pixels are compressed (method %u): save it uncompressed",
                      le32(&bmp[30]));
        return false;
    }
    if (!tileset_bmp_fits(bmp.data(), static_cast<uint32_t>(bmp.size()))) {
        std::snprintf(reason, size, "the file ends before its pixel rows do");
        return false;
    }
    return true;
}

bool tileset_file_read(const char* path, std::vector<uint8_t>* out, char* reason, uint32_t size) {
    int error = 0;
    // The size is checked before anything is read: a tileset is far below 64 KiB.
    MappedFile* file = mapped_file_open(path, &error, kTilesetMaxBytes);
    if (!file) {
        std::snprintf(reason, size, "%s",
                      file_error_describe(error, path, kTilesetMaxBytes).c_str());
        return false;
    }
    std::span<const uint8_t> bytes(file->data, file->length);
    bool ok = tileset_file_check(bytes, reason, size);
    if (ok) {
        // Kept like a tileset read from a level file: raised to a multiple of 4, zero-filled.
        out->assign(bytes.begin(), bytes.end());
        out->resize((out->size() + 3) & ~size_t{3}, 0);
    }
    mapped_file_close(file);
    return ok;
}
