// asset_pictures.cpp - object sprite sheets, the region highlight and the special-tile icons,
// all painted from simple shapes.
#include <algorithm>
#include <cmath>

#include "assets.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct SheetLayout {
    int cells;   // the object covers cells x cells tiles
    int columns; // frames per row
    int rows;
};
constexpr SheetLayout kLayouts[5] = {{1, 15, 2}, {2, 10, 3}, {1, 15, 2}, {6, 5, 2}, {5, 4, 6}};

Rgb scale(Rgb c, double k) {
    k = std::clamp(k, 0.0, 1.0);
    return {static_cast<uint8_t>(c.r * k), static_cast<uint8_t>(c.g * k),
            static_cast<uint8_t>(c.b * k)};
}

// Colour of a sprite pixel at (u, v) in -1..1 for an animation phase in 0..1; black outside.
Rgb object_pixel(int object, double u, double v, double phase) {
    const double r = std::sqrt(u * u + v * v);
    const double angle = std::atan2(v, u);
    switch (object) {
    case 0: { // a spinning green coin
        const double half = 0.15 + 0.7 * std::fabs(std::cos(2 * kPi * phase));
        const double e = (u / half) * (u / half) + (v / 0.85) * (v / 0.85);
        if (e > 1) return {0, 0, 0};
        return scale({90, 230, 110}, 1.0 - 0.5 * e + 0.2 * (u < 0));
    }
    case 1: { // a pulsing blue ring
        const double radius = 0.55 + 0.25 * std::sin(2 * kPi * phase);
        const double d = std::fabs(r - radius);
        if (d > 0.14) return r < 0.12 ? Rgb{200, 220, 255} : Rgb{0, 0, 0};
        return scale({80, 150, 255}, 1.0 - d / 0.16);
    }
    case 2: { // a twinkling yellow star
        const double size = 0.55 + 0.35 * std::fabs(std::sin(2 * kPi * phase));
        const double spike = size * (0.35 + 0.65 * std::pow(std::fabs(std::cos(2 * angle)), 6));
        if (r > spike) return {0, 0, 0};
        return scale({255, 220, 60}, 1.2 - r / spike * 0.6);
    }
    case 3: { // a station: a hull ring with turning spokes and a bright core
        if (r > 0.95) return {0, 0, 0};
        if (r > 0.78) return scale({210, 140, 60}, 1.1 - (r - 0.78) * 3);
        if (r < 0.22) return scale({255, 200, 120}, 1.0 - r);
        const double turn = angle - 2 * kPi * phase;
        const double spoke = std::fabs(std::sin(2 * turn));
        if (spoke < 0.18) return {170, 170, 180};
        return {20, 16, 30};
    }
    default: { // a purple vortex with three turning arms
        if (r > 0.97) return {0, 0, 0};
        const double arm = std::sin(3 * (angle + 4 * r - 2 * kPi * phase));
        const double glow = (arm * 0.5 + 0.5) * (1.0 - r * 0.7);
        return scale({190, 90, 255}, 0.15 + glow);
    }
    }
}

void paint_object(Image& image, int object, int x, int y, int size, double phase) {
    for (int j = 0; j < size; ++j)
        for (int i = 0; i < size; ++i) {
            const double u = (i + 0.5) / size * 2 - 1;
            const double v = (j + 0.5) / size * 2 - 1;
            image_set(image, x + i, y + j, object_pixel(object, u, v, phase));
        }
}

} // namespace

Image make_sprite_sheet(int object) {
    const SheetLayout& layout = kLayouts[object];
    const int frame = layout.cells * 16;
    Image sheet = image_new(frame * layout.columns, frame * layout.rows, {0, 0, 0});
    const int frames = layout.columns * layout.rows;
    for (int f = 0; f < frames; ++f)
        paint_object(sheet, object, (f % layout.columns) * frame, (f / layout.columns) * frame,
                     frame, static_cast<double>(f) / frames);
    return sheet;
}

Image make_region_highlight() {
    // A faint diagonal weave keeps the highlighted tiles readable under the tint.
    Image image = image_new(16, 16, {150, 60, 220});
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if ((x + y) % 4 == 0) image_set(image, x, y, {200, 110, 255});
    return image;
}

Image make_extra_tiles() {
    Image strip = image_new(144, 16, {0, 0, 0});
    // The five objects in their first frame, shrunk to one tile.
    for (int object = 0; object < 5; ++object)
        paint_object(strip, object, object * 16, 0, 16, 0.1);
    // 241: teal diagonal stripes.
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if ((x + y) % 5 < 2) image_set(strip, 80 + x, y, {40, 190, 180});
    // 242: a green lattice.
    for (int k = 1; k < 16; k += 4) {
        image_fill(strip, 96 + k, 1, 1, 14, {60, 170, 70});
        image_fill(strip, 97, k, 14, 1, {60, 170, 70});
    }
    // 252: an orange plus.
    image_fill(strip, 112 + 6, 2, 4, 12, {255, 150, 40});
    image_fill(strip, 112 + 2, 6, 12, 4, {255, 150, 40});
    // 255: a red cross.
    for (int k = 2; k < 14; ++k) {
        image_fill(strip, 128 + k, k, 2, 1, {240, 50, 30});
        image_fill(strip, 128 + 14 - k, k, 2, 1, {240, 50, 30});
    }
    // A dim frame marks the last four as special values rather than pictures.
    for (int cell = 5; cell < 9; ++cell) {
        const Rgb frame = {70, 70, 90};
        image_fill(strip, cell * 16, 0, 16, 1, frame);
        image_fill(strip, cell * 16, 15, 16, 1, frame);
        image_fill(strip, cell * 16, 0, 1, 16, frame);
        image_fill(strip, cell * 16 + 15, 0, 1, 16, frame);
    }
    return strip;
}
