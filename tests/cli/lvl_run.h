// lvl_run.h - runs ostrel-lvl's command line in the test process and collects its output;
// reads the pictures it writes.
#pragma once
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/lvl_tool.h"

struct LvlRun {
    int status;
    std::string out, err;
};

inline LvlRun lvl_run(std::vector<std::string> args) {
    args.insert(args.begin(), "ostrel-lvl");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    char *out = nullptr, *err = nullptr;
    size_t out_size = 0, err_size = 0;
    FILE* o = open_memstream(&out, &out_size);
    FILE* e = open_memstream(&err, &err_size);
    LvlRun run{lvl_main(static_cast<int>(argv.size()), argv.data(), o, e), "", ""};
    std::fclose(o);
    std::fclose(e);
    run.out.assign(out, out_size);
    run.err.assign(err, err_size);
    std::free(out);
    std::free(err);
    return run;
}

// A PNG file's pixels as 8-bit RGBA; empty when it cannot be read.
struct Picture {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> px;
    const uint8_t* at(uint32_t x, uint32_t y) const { return &px[4 * (size_t{y} * width + x)]; }
    // The colour, transparent pixels as black (the tileset's black is drawn transparent).
    uint32_t rgb(uint32_t x, uint32_t y) const {
        const uint8_t* p = at(x, y);
        return p[3] == 0 ? 0 : uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
    }
};

inline Picture read_png(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Picture p;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return p;
    image.format = PNG_FORMAT_RGBA;
    p.px.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, p.px.data(), 0, nullptr))
        p.width = image.width, p.height = image.height;
    return p;
}
