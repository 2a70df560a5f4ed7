// assets.h - the picture type and painters of the asset generator that writes the editor's
// graphics into its run folder.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r, g, b;
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels; // row-major, top row first
};

Image image_new(int width, int height, Rgb fill);
void image_set(Image& image, int x, int y, Rgb colour); // ignores pixels outside
void image_fill(Image& image, int x, int y, int width, int height, Rgb colour);
// Mixes a colour into a pixel: amount 0 keeps the pixel, 256 replaces it.
void image_blend(Image& image, int x, int y, Rgb colour, int amount);
// Writes an uncompressed 24-bit Windows BMP; false when the file cannot be written.
bool image_write_bmp(const Image& image, const std::string& path);

// The 384 x 128 font sheet: eight colour bands of the 96 glyphs for codes 32..127.
Image make_font_sheet();
// Object sprite sheet of tile 216 + object (0..4), frames laid out in the given grid.
Image make_sprite_sheet(int object);
Image make_region_highlight();
// The 144 x 16 strip of icons for 216..220, 241, 242, 252, 255.
Image make_extra_tiles();
// The 304 x 160 fall-back tileset of 190 tiles.
Image make_tileset();
