// bmp_writer.cpp - the asset generator's pictures and their 24-bit BMP files.
#include <cstdio>
#include <memory>

#include "assets.h"

Image image_new(int width, int height, Rgb fill) {
    Image image;
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<size_t>(width) * height, fill);
    return image;
}

void image_set(Image& image, int x, int y, Rgb colour) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    image.pixels[static_cast<size_t>(y) * image.width + x] = colour;
}

void image_fill(Image& image, int x, int y, int width, int height, Rgb colour) {
    for (int j = y; j < y + height; ++j)
        for (int i = x; i < x + width; ++i)
            image_set(image, i, j, colour);
}

void image_blend(Image& image, int x, int y, Rgb colour, int amount) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    Rgb& p = image.pixels[static_cast<size_t>(y) * image.width + x];
    auto mix = [amount](uint8_t a, uint8_t b) {
        return static_cast<uint8_t>((a * (256 - amount) + b * amount) / 256);
    };
    p = {mix(p.r, colour.r), mix(p.g, colour.g), mix(p.b, colour.b)};
}

static void put_u16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

static void put_u32(std::vector<uint8_t>& out, uint32_t v) {
    put_u16(out, v & 0xFFFF);
    put_u16(out, v >> 16);
}

bool image_write_bmp(const Image& image, const std::string& path) {
    const uint32_t row_bytes = (static_cast<uint32_t>(image.width) * 3 + 3) & ~3u;
    const uint32_t data_bytes = row_bytes * static_cast<uint32_t>(image.height);
    std::vector<uint8_t> out;
    out.reserve(54 + data_bytes);
    out.push_back('B');
    out.push_back('M');
    put_u32(out, 54 + data_bytes);
    put_u32(out, 0);
    put_u32(out, 54);
    put_u32(out, 40);
    put_u32(out, static_cast<uint32_t>(image.width));
    put_u32(out, static_cast<uint32_t>(image.height));
    put_u16(out, 1);
    put_u16(out, 24);
    put_u32(out, 0);
    put_u32(out, data_bytes);
    put_u32(out, 2835);
    put_u32(out, 2835);
    put_u32(out, 0);
    put_u32(out, 0);
    // Rows are stored bottom-up, each pixel blue, green, red, rows padded to 4 bytes.
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const Rgb& p = image.pixels[static_cast<size_t>(y) * image.width + x];
            out.push_back(p.b);
            out.push_back(p.g);
            out.push_back(p.r);
        }
        for (uint32_t pad = static_cast<uint32_t>(image.width) * 3; pad < row_bytes; ++pad)
            out.push_back(0);
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                         std::fclose);
    if (!file) return false;
    return std::fwrite(out.data(), 1, out.size(), file.get()) == out.size();
}
