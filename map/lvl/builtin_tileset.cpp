// builtin_tileset.cpp - draws the built-in tileset as an 8-bit BMP file image.
#include "map/lvl/builtin_tileset.h"

#include <array>
#include <cstring>

namespace {

constexpr int kWidth = 304, kHeight = 160, kTile = 16, kColumns = 19, kTiles = 190;
constexpr uint32_t kPixelOffset = 14 + 40 + 256 * 4;      // 1078
constexpr uint32_t kImageSize = kWidth * kHeight;         // 48,640
constexpr uint32_t kFileSize = kPixelOffset + kImageSize; // 49,718
constexpr uint32_t kBufferSize = kFileSize + 2;           // 49,720

// Palette: 16 fixed colours, a 6 x 6 x 6 colour cube at 16 to 231, 24 greys at 232 to 255.
constexpr uint8_t kBlack = 0, kWhite = 15;
constexpr uint8_t kFixed[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                   {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                   {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                   {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

uint8_t cube(int r, int g, int b) {
    return static_cast<uint8_t>(16 + r * 36 + g * 6 + b);
}

// Digits 0 to 9 in a 3 x 5 font, one row per 3-bit group, top row first.
constexpr uint16_t kDigits[10] = {0x7B6F, 0x2C97, 0x73E7, 0x73CF, 0x5BC9,
                                  0x79CF, 0x79EF, 0x7249, 0x7BEF, 0x7BCF};

void put_u16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void put_u32(uint8_t* p, uint32_t v) {
    put_u16(p, v);
    put_u16(p + 2, v >> 16);
}

struct Canvas {
    uint8_t* pixels; // bottom-up rows, as the file stores them
    void set(int x, int y, uint8_t c) const { pixels[(kHeight - 1 - y) * kWidth + x] = c; }
};

// One tile: a cube colour, a bevelled frame, one of six patterns and its number.
void draw_tile(const Canvas& canvas, int number) {
    int left = (number - 1) % kColumns * kTile, top = (number - 1) / kColumns * kTile;
    // 37 is prime to 216, so the 190 tiles get 190 different background colours.
    int index = number * 37 % 216;
    int r = index / 36, g = index / 6 % 6, b = index % 6;
    uint8_t back = cube(r, g, b);
    uint8_t shade = cube(r > 1 ? r - 2 : r + 2, g > 1 ? g - 2 : g + 2, b > 1 ? b - 2 : b + 2);
    uint8_t light = cube(r < 5 ? r + 1 : 5, g < 5 ? g + 1 : 5, b < 5 ? b + 1 : 5);
    uint8_t dark = cube(r > 0 ? r - 1 : 0, g > 0 ? g - 1 : 0, b > 0 ? b - 1 : 0);
    int pattern = number % 6;
    for (int y = 0; y < kTile; ++y) {
        for (int x = 0; x < kTile; ++x) {
            bool mark = false;
            switch (pattern) {
            case 1:
                mark = y % 4 == 1;
                break; // horizontal stripes
            case 2:
                mark = x % 4 == 1;
                break; // vertical stripes
            case 3:
                mark = (x / 2 + y / 2) % 2 == 0;
                break; // checks
            case 4:
                mark = (x + y) % 5 == 0;
                break; // diagonals
            case 5:
                mark = x % 3 == 1 && y % 3 == 1;
                break; // dots
            default:
                break; // plain
            }
            uint8_t c = mark ? shade : back;
            if (x == 0 || y == 0) c = light;
            if (x == kTile - 1 || y == kTile - 1) c = dark;
            canvas.set(left + x, top + y, c);
        }
    }
    // The number on a plate: dark digits on light colours, light digits on dark ones.
    int luma = 30 * r + 59 * g + 11 * b; // 0 to 500
    uint8_t ink = luma > 250 ? kBlack : kWhite, plate = luma > 250 ? kWhite : kBlack;
    char text[4];
    int count = 0;
    for (int n = number; n > 0; n /= 10)
        text[count++] = static_cast<char>(n % 10);
    int width = count * 4 - 1, x0 = left + (kTile - width) / 2, y0 = top + 5;
    for (int y = y0 - 1; y <= y0 + 5; ++y)
        for (int x = x0 - 1; x <= x0 + width; ++x)
            canvas.set(x, y, plate);
    for (int d = 0; d < count; ++d) {
        uint16_t glyph = kDigits[static_cast<int>(text[count - 1 - d])];
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 3; ++col)
                if (glyph >> (14 - row * 3 - col) & 1) canvas.set(x0 + d * 4 + col, y0 + row, ink);
    }
}

std::array<uint8_t, kBufferSize> make_tileset() {
    std::array<uint8_t, kBufferSize> file{};
    uint8_t* p = file.data();
    p[0] = 'B';
    p[1] = 'M';
    put_u32(p + 2, kFileSize);
    put_u32(p + 10, kPixelOffset);
    put_u32(p + 14, 40);
    put_u32(p + 18, kWidth);
    put_u32(p + 22, kHeight);
    put_u16(p + 26, 1);
    put_u16(p + 28, 8);
    put_u32(p + 34, kImageSize);
    put_u32(p + 38, 2835);
    put_u32(p + 42, 2835);
    put_u32(p + 46, 256);
    put_u32(p + 50, 256);
    // Palette entries are blue, green, red, reserved.
    uint8_t* palette = p + 54;
    auto set_colour = [palette](int i, int red, int green, int blue) {
        palette[i * 4] = static_cast<uint8_t>(blue);
        palette[i * 4 + 1] = static_cast<uint8_t>(green);
        palette[i * 4 + 2] = static_cast<uint8_t>(red);
    };
    for (int i = 0; i < 16; ++i)
        set_colour(i, kFixed[i][0], kFixed[i][1], kFixed[i][2]);
    for (int i = 0; i < 216; ++i)
        set_colour(16 + i, i / 36 * 51, i / 6 % 6 * 51, i % 6 * 51);
    for (int i = 0; i < 24; ++i)
        set_colour(232 + i, 8 + i * 10, 8 + i * 10, 8 + i * 10);
    Canvas canvas{p + kPixelOffset};
    for (int number = 1; number <= kTiles; ++number)
        draw_tile(canvas, number);
    return file;
}

} // namespace

const uint8_t* builtin_tileset(uint32_t* length) {
    // Drawn on first use; a function-local static is initialised exactly once.
    static const std::array<uint8_t, kBufferSize> tileset = make_tileset();
    if (length) *length = kBufferSize;
    return tileset.data();
}
