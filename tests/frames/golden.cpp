// golden.cpp - reads and writes frames as 24-bit PNG (libpng's simplified API) and reports
// the pixels that differ from the stored image, with a diff picture for review. Pixels are
// compared at the 5-6-5 depth the screen holds: SDL 1.2 builds widen a 16-bit colour to 24
// bits in different ways, and only the bits the screen held are the frame's.
#include "frames/golden.h"

#include <SDL/SDL.h>
#include <png.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

using Rgb = std::vector<uint8_t>;

Rgb frame_rgb(SDL_Surface* s) {
    Rgb out;
    SDL_LockSurface(s);
    const int bpp = s->format->BytesPerPixel;
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x) {
            const uint8_t* p = static_cast<const uint8_t*>(s->pixels) + y * s->pitch + x * bpp;
            uint32_t v = bpp == 2   ? *reinterpret_cast<const uint16_t*>(p)
                         : bpp == 4 ? *reinterpret_cast<const uint32_t*>(p)
                                    : p[0];
            uint8_t r, g, b;
            SDL_GetRGB(v, s->format, &r, &g, &b);
            out.insert(out.end(), {r, g, b});
        }
    SDL_UnlockSurface(s);
    return out;
}

bool write_png(const std::filesystem::path& path, int w, int h, const Rgb& rgb) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(w);
    image.height = static_cast<png_uint_32>(h);
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
}

bool read_png(const std::filesystem::path& path, int* w, int* h, Rgb* rgb) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    rgb->assign(PNG_IMAGE_SIZE(image), 0);
    *w = static_cast<int>(image.width);
    *h = static_cast<int>(image.height);
    return png_image_finish_read(&image, nullptr, rgb->data(), 0, nullptr) != 0;
}

} // namespace

std::string golden_check(SDL_Surface* frame, const std::string& name) {
    const std::filesystem::path stored = std::filesystem::path(OSTREL_GOLDEN_DIR) / (name + ".png");
    const Rgb actual = frame_rgb(frame);
    const char* update = std::getenv("OSTREL_GOLDEN_UPDATE");
    if (update && std::string(update) == "1") {
        if (!write_png(stored, frame->w, frame->h, actual))
            return "cannot write " + stored.string();
        return {};
    }
    int w = 0, h = 0;
    Rgb expected;
    if (!read_png(stored, &w, &h, &expected))
        return "no stored frame " + stored.string() + " (run make golden)";
    size_t differing = 0;
    Rgb diff = actual;
    const bool same_size = w == frame->w && h == frame->h;
    // Differing pixels in red over a dimmed copy of the actual frame.
    for (size_t i = 0; i < actual.size(); i += 3) {
        const bool differs = !same_size || (actual[i] ^ expected[i]) >> 3 ||
                             (actual[i + 1] ^ expected[i + 1]) >> 2 ||
                             (actual[i + 2] ^ expected[i + 2]) >> 3;
        differing += differs;
        diff[i] = differs ? 255 : actual[i] / 4;
        diff[i + 1] = differs ? 0 : actual[i + 1] / 4;
        diff[i + 2] = differs ? 0 : actual[i + 2] / 4;
    }
    if (differing == 0) return {};
    const std::filesystem::path dir = std::filesystem::path(OSTREL_GOLDEN_DIFF_DIR);
    std::filesystem::create_directories(dir);
    write_png(dir / (name + ".actual.png"), frame->w, frame->h, actual);
    write_png(dir / (name + ".diff.png"), frame->w, frame->h, diff);
    return name + ": " + std::to_string(differing) + " of " + std::to_string(actual.size() / 3) +
           " pixels differ" + (same_size ? "" : " (size changed)") + "; see " +
           (dir / (name + ".diff.png")).string() + " and .actual.png";
}
