// exchange_images.cpp - the pictures an export writes beside the map for values the tileset
// has none for (each tile shows its value), the region mark, and the text rules both
// directions share.
#include <cstdio>
#include <cstring>

#include "map/exchange/exchange_internal.h"
#include "map/exchange/exchange_names.h"

namespace {

struct Picture {
    int32_t width, height;
    std::vector<uint8_t> pixels; // palette indices, top row first
    void put(int32_t x, int32_t y, uint8_t c) { pixels[size_t(y) * size_t(width) + size_t(x)] = c; }
};

// Palette: 0 black (drawn transparent), 1 white, then the tile classes.
constexpr uint8_t kPalette[][3] = {{0, 0, 0},      {255, 255, 255}, {64, 72, 96},  {96, 108, 140},
                                   {200, 120, 32}, {240, 170, 80},  {110, 96, 80}, {150, 60, 200},
                                   {190, 110, 240}};

// 3 x 5 digits, one row of three bits per nibble, top row first.
constexpr uint16_t kDigits[10] = {0x7B6F, 0x2C97, 0x73E7, 0x73CF, 0x5BC9,
                                  0x79CF, 0x79EF, 0x7249, 0x7BEF, 0x7BCF};

void draw_digit(Picture* p, int32_t x0, int32_t y0, int digit) {
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 3; ++col)
            if ((kDigits[digit] >> (14 - (row * 3 + col))) & 1) p->put(x0 + col, y0 + row, 1);
}

std::vector<uint8_t> encode_bmp(const Picture& p) {
    uint32_t row = (uint32_t(p.width) + 3) & ~3u;
    uint32_t colours = 256, offset = 14 + 40 + colours * 4, size = offset + row * uint32_t(p.height);
    std::vector<uint8_t> out(size, 0);
    auto u32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out[at + i] = uint8_t(v >> (8 * i));
    };
    out[0] = 'B';
    out[1] = 'M';
    u32(2, size);
    u32(10, offset);
    u32(14, 40);
    u32(18, uint32_t(p.width));
    u32(22, uint32_t(p.height));
    out[26] = 1;
    out[28] = 8;
    u32(46, colours);
    for (size_t i = 0; i < sizeof kPalette / sizeof kPalette[0]; ++i) {
        out[54 + i * 4] = kPalette[i][2];
        out[54 + i * 4 + 1] = kPalette[i][1];
        out[54 + i * 4 + 2] = kPalette[i][0];
    }
    // Rows bottom-up.
    for (int32_t y = 0; y < p.height; ++y)
        std::memcpy(&out[offset + size_t(p.height - 1 - y) * row], &p.pixels[size_t(y) * size_t(p.width)],
                    size_t(p.width));
    return out;
}

} // namespace

std::vector<uint8_t> exchange_extra_image() {
    Picture p{int32_t(kExtraColumns) * kExchangeTile, 5 * kExchangeTile, {}};
    p.pixels.assign(size_t(p.width) * size_t(p.height), 0);
    for (uint32_t i = 0; i < kExtraCount; ++i) {
        uint32_t value = kExtraFirst + i;
        uint8_t fill = 2, edge = 3; // values without a picture of their own
        if (value >= 216 && value <= 220) fill = 4, edge = 5; // objects
        if (value == 250) fill = 6, edge = 6;                 // object filler
        if (value == 251) fill = 7, edge = 8;                 // region brush
        int32_t x0 = int32_t(i % kExtraColumns) * kExchangeTile, y0 = int32_t(i / kExtraColumns) * kExchangeTile;
        for (int32_t y = 0; y < kExchangeTile; ++y)
            for (int32_t x = 0; x < kExchangeTile; ++x) {
                bool border = x == 0 || y == 0 || x == kExchangeTile - 1 || y == kExchangeTile - 1;
                p.put(x0 + x, y0 + y, border ? edge : fill);
            }
        draw_digit(&p, x0 + 2, y0 + 6, int(value / 100));
        draw_digit(&p, x0 + 6, y0 + 6, int(value / 10 % 10));
        draw_digit(&p, x0 + 10, y0 + 6, int(value % 10));
    }
    return encode_bmp(p);
}

std::vector<uint8_t> exchange_region_image() {
    // Every other pixel: the tiles below show through.
    Picture p{kExchangeTile, kExchangeTile, {}};
    p.pixels.assign(size_t(kExchangeTile) * kExchangeTile, 0);
    for (int32_t y = 0; y < kExchangeTile; ++y)
        for (int32_t x = 0; x < kExchangeTile; ++x)
            if ((x + y) % 2 == 0) p.put(x, y, 8);
    return encode_bmp(p);
}

bool exchange_text_is_plain(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        auto c = static_cast<uint8_t>(text[i]);
        if (c < 0x20 || c == 0x7F) return false;
        if (c < 0x80) {
            ++i;
            continue;
        }
        // A well-formed UTF-8 sequence of 2 to 4 bytes, no overlong forms, no surrogates.
        int n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 0;
        if (n == 0 || c > 0xF4 || i + size_t(n) > text.size()) return false;
        uint32_t cp = c & (0x7F >> n);
        for (int k = 1; k < n; ++k) {
            auto b = static_cast<uint8_t>(text[i + size_t(k)]);
            if ((b & 0xC0) != 0x80) return false;
            cp = cp << 6 | (b & 0x3F);
        }
        if ((n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        // C1 control characters too.
        if (cp >= 0x80 && cp <= 0x9F) return false;
        i += size_t(n);
    }
    return true;
}

std::string exchange_position(uint32_t n, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*u", width, n);
    return text;
}
