// asset_tileset.cpp - the fall-back tileset: 190 tiles of 16 x 16 in 19 columns and 10 rows.
#include <cstdint>

#include "assets.h"

namespace {

// A small integer hash for stable pixel noise.
uint32_t noise(uint32_t a, uint32_t b, uint32_t c) {
    uint32_t h = a * 374761393u + b * 668265263u + c * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

Rgb shade(Rgb c, int delta) {
    auto clamp = [](int v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); };
    return {clamp(c.r + delta), clamp(c.g + delta), clamp(c.b + delta)};
}

// Walls 1..161: nine families of stone and metal, each with a few surface patterns.
void paint_wall(Image& image, int tile, int ox, int oy) {
    static constexpr Rgb kFamilies[9] = {
        {96, 100, 120}, {120, 100, 80},  {80, 110, 130}, {110, 110, 110}, {130, 90, 100},
        {90, 120, 90},  {120, 120, 140}, {100, 90, 130}, {140, 120, 90},
    };
    const Rgb base = kFamilies[(tile - 1) / 18];
    const int pattern = (tile - 1) % 6;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            int delta = static_cast<int>(noise(tile, x, y) % 17) - 8;
            switch (pattern) {
            case 0:
                delta += (x == 0 || y == 0) ? 30 : (x == 15 || y == 15) ? -35 : 0;
                break;
            case 1:
                delta += (y % 8 == 7 || (x + (y / 8) * 8) % 16 == 0) ? -40 : 0;
                break;
            case 2:
                delta += ((x == 3 || x == 12) && (y == 3 || y == 12)) ? 60 : 0;
                break;
            case 3:
                delta += (x + y) % 8 == 0 ? 25 : 0;
                break;
            case 4:
                delta += (x / 4 + y / 4) % 2 ? -20 : 10;
                break;
            default:
                delta += (x > 3 && x < 12 && y > 3 && y < 12) ? 20 : -15;
                break;
            }
            image_set(image, ox + x, oy + y, shade(base, delta + ((tile - 1) / 6 % 3) * 12));
        }
}

// Doors 162..169: light panels with bars.
void paint_door(Image& image, int tile, int ox, int oy) {
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool bar = (tile % 2) ? (y % 4 < 2) : (x % 4 < 2);
            image_set(image, ox + x, oy + y, bar ? Rgb{200, 200, 205} : Rgb{120, 120, 130});
        }
}

// Items 170 and 173..190: a coloured shape on black, different for every value.
void paint_item(Image& image, int tile, int ox, int oy) {
    const Rgb colour = {static_cast<uint8_t>(80 + noise(tile, 1, 0) % 170),
                        static_cast<uint8_t>(80 + noise(tile, 2, 0) % 170),
                        static_cast<uint8_t>(80 + noise(tile, 3, 0) % 170)};
    const int shape = tile % 4;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const int dx = 2 * x - 15, dy = 2 * y - 15;
            bool in = false;
            switch (shape) {
            case 0:
                in = dx * dx + dy * dy < 100;
                break;
            case 1:
                in = (dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy) < 12;
                break;
            case 2:
                in = x > 3 && x < 12 && y > 3 && y < 12;
                break;
            default:
                in = (dx < 0 ? -dx : dx) < 3 || (dy < 0 ? -dy : dy) < 3;
                break;
            }
            if (in)
                image_set(image, ox + x, oy + y,
                          shade(colour, static_cast<int>(noise(tile, x, y) % 21) - 10));
        }
}

} // namespace

Image make_tileset() {
    Image image = image_new(304, 160, {0, 0, 0});
    for (int tile = 1; tile <= 190; ++tile) {
        const int ox = (tile - 1) % 19 * 16, oy = (tile - 1) / 19 * 16;
        if (tile <= 161) {
            paint_wall(image, tile, ox, oy);
        } else if (tile <= 169) {
            paint_door(image, tile, ox, oy);
        } else if (tile == 171) {
            // A safe zone: green cross-hatch.
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    image_set(image, ox + x, oy + y,
                              (x + y) % 4 == 0 || (x - y + 16) % 4 == 0 ? Rgb{40, 150, 40}
                                                                        : Rgb{15, 50, 15});
        } else if (tile == 172) {
            // A goal: an orange-red diamond.
            image_fill(image, ox, oy, 16, 16, {60, 10, 0});
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    const int d = (x < 8 ? 7 - x : x - 8) + (y < 8 ? 7 - y : y - 8);
                    if (d < 8)
                        image_set(image, ox + x, oy + y,
                                  {255, static_cast<uint8_t>(70 + d * 8), 10});
                }
        } else {
            paint_item(image, tile, ox, oy);
        }
    }
    return image;
}
