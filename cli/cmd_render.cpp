// cmd_render.cpp - `ostrel-lvl render`: a PNG picture of a map or an area of it, drawn by the
// editor's renderer onto an off-screen band of rows at a time, so a full-size picture of the
// whole map (16,384 pixels square) needs only a few MiB.
#include <SDL/SDL.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include "cli/lvl_pictures.h"
#include "cli/lvl_tool.h"
#include "cli/png_writer.h"
#include "core/hash.h"
#include "map/lvl/elvl.h"
#include "map/model/mapdata.h"
#include "map/model/region.h"

namespace {

// Most bytes one band of the picture takes.
constexpr size_t kBandBytes = size_t{2} << 20;

struct Rgb {
    uint8_t r, g, b;
};

// A region's own colour (its "rCOL" sub-chunk: red, green, blue), else one of a fixed set.
Rgb region_colour(const Region* region, size_t index) {
    static const Rgb kColours[] = {{255, 64, 64},  {64, 160, 255}, {64, 220, 64}, {255, 200, 0},
                                   {200, 64, 255}, {0, 220, 220},  {255, 128, 0}, {255, 96, 200}};
    if (const void* copy = region->subchunks ? hash_get(region->subchunks, "rCOL") : nullptr) {
        if (elvl_chunk_length(copy) >= 3) {
            const uint8_t* d = elvl_chunk_data(copy);
            return {d[0], d[1], d[2]};
        }
    }
    return kColours[index % std::size(kColours)];
}

// The colours to lay over a cell, per region set: every region the set lists, once each.
std::vector<std::vector<Rgb>> set_colours(const MapData* map,
                                          const std::vector<LvlRegion>& regions) {
    std::vector<std::vector<Rgb>> colours(256);
    for (int32_t k = 1; k <= mapdata_region_set_count(map); ++k) {
        int32_t length = 0;
        Region* const* list = mapdata_region_set(map, k, &length);
        for (size_t r = 0; r < regions.size(); ++r)
            if (std::find(list, list + length, regions[r].read->region) != list + length)
                colours[k].push_back(region_colour(regions[r].read->region, r));
    }
    return colours;
}

// The band's masks put red, green and blue in bytes 0, 1 and 2 on a little-endian machine.
static_assert(std::endian::native == std::endian::little);

uint8_t* pixel_at(SDL_Surface* band, int x, int y) {
    return static_cast<uint8_t*>(band->pixels) + y * band->pitch + x * 4;
}

// Half-transparent squares in each region's colour over the cells of the band.
void overlay_regions(SDL_Surface* band, const MapScene& scene, int s,
                     const std::vector<std::vector<Rgb>>& colours) {
    const MapData* map = scene.map;
    if (!map->region_grid) return;
    for (int j = 0; j < scene.rows; ++j)
        for (int i = 0; i < scene.columns; ++i) {
            uint8_t set = tilegrid_get(map->region_grid, scene.origin_x + i, scene.origin_y + j);
            if (set == 0) continue;
            for (const Rgb& c : colours[set])
                for (int y = j * s; y < (j + 1) * s; ++y)
                    for (int x = i * s; x < (i + 1) * s; ++x) {
                        uint8_t* p = pixel_at(band, x, y);
                        p[0] = static_cast<uint8_t>((p[0] + c.r) / 2);
                        p[1] = static_cast<uint8_t>((p[1] + c.g) / 2);
                        p[2] = static_cast<uint8_t>((p[2] + c.b) / 2);
                    }
        }
}

// Grid lines on cells without a picture, as the full-size view draws them, for scales 4 and 8.
void draw_grid(SDL_Surface* band, const MapScene& scene, int s) {
    for (int j = 0; j < scene.rows; ++j)
        for (int i = 0; i < scene.columns; ++i) {
            int t = mapdata_get_tile(scene.map, scene.origin_x + i, scene.origin_y + j);
            if ((t >= 1 && t <= 190) || t == TILE_FILLER || gfx_extra_tile_cell(t) >= 0) continue;
            for (int k = 0; k < s; ++k) {
                for (uint8_t* p :
                     {pixel_at(band, i * s + k, j * s), pixel_at(band, i * s, j * s + k)})
                    p[0] = p[1] = p[2] = 32;
            }
        }
}

// Draws the cells of one piece of a band and copies its pixels into the band's RGB rows.
void render_piece(SDL_Surface* piece, const MapScene& scene, const MapPictures& pictures,
                  const LvlRenderOptions& o, int level,
                  const std::vector<std::vector<Rgb>>& colours, uint8_t* rgb, size_t pitch) {
    const int s = o.scale;
    SDL_FillRect(piece, nullptr, 0);
    gfx_render_map(piece, scene, pictures);
    if (o.grid && level > 0) draw_grid(piece, scene, s);
    if (o.regions) overlay_regions(piece, scene, s, colours);
    for (int y = 0; y < scene.rows * s; ++y) {
        const uint8_t* p = pixel_at(piece, 0, y);
        uint8_t* to = rgb + y * pitch;
        for (int x = 0; x < scene.columns * s; ++x, p += 4, to += 3) {
            to[0] = p[0];
            to[1] = p[1];
            to[2] = p[2];
        }
    }
}

bool render_file(const LvlFile& file, const char* path, const LvlRenderOptions& o,
                 std::string* error) {
    const int s = o.scale;
    const int level = s == 16 ? 0 : s == 8 ? 1 : s == 4 ? 2 : -1;
    const int width = o.w * s, height = o.h * s;
    // An SDL 1.2 surface row holds at most 65,535 bytes, so a band is drawn in pieces of at
    // most 8,192 pixels across; a piece starts where the one before ended, with the
    // renderer's margin bringing in the objects that reach over the seam.
    const int piece_cells = std::min(o.w, 8192 / s);
    const int band_cells =
        std::clamp(static_cast<int>(kBandBytes / (size_t{3} * width * s)), 1, o.h);
    SDL_Surface* piece = lvl_band_surface(piece_cells * s, band_cells * s);
    if (!piece) {
        *error = SDL_GetError();
        return false;
    }
    MapPictures pictures;
    if (level >= 0) lvl_load_pictures(&pictures, file.map, piece->format, level);
    std::vector<std::vector<Rgb>> colours;
    if (o.regions) colours = set_colours(file.map, lvl_regions(file));
    PngWriter* png =
        png_writer_open(path, static_cast<uint32_t>(width), static_cast<uint32_t>(height), error);
    const size_t pitch = size_t{3} * width;
    std::vector<uint8_t> rgb(pitch * band_cells * s);
    bool ok = png != nullptr;
    for (int top = 0; ok && top < o.h; top += band_cells) {
        MapScene scene;
        scene.map = file.map;
        scene.origin_y = o.y + top;
        scene.rows = std::min(band_cells, o.h - top);
        scene.zoom = 16 / s;
        scene.grid = o.grid;
        scene.flat = level < 0;
        for (int left = 0; left < o.w; left += piece_cells) {
            scene.origin_x = o.x + left;
            scene.columns = std::min(piece_cells, o.w - left);
            render_piece(piece, scene, pictures, o, level, colours, rgb.data() + 3 * left * s,
                         pitch);
        }
        ok = png_writer_rows(png, rgb.data(), static_cast<uint32_t>(scene.rows * s), pitch);
    }
    if (png) ok = png_writer_close(png, error) && ok;
    lvl_free_pictures(&pictures);
    SDL_FreeSurface(piece);
    return ok;
}

// Why an output may not be written (without --force): an existing file that is not a PNG
// picture, as a map given in its place would be. The ".png" name is checked with the usage.
std::string output_refusal(const std::string& path, bool force) {
    if (force) return {};
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return {};
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    uint8_t head[8] = {};
    ssize_t n = ::read(fd, head, sizeof head);
    ::close(fd);
    if (n == 8 && std::memcmp(head, kSignature, 8) == 0) return {};
    return "the file there is not a PNG picture (--force replaces it)";
}

} // namespace

int lvl_render(const std::vector<std::string>& pairs, const LvlRenderOptions& options, FILE* out,
               FILE* err) {
    int status = 0;
    for (size_t i = 0; i + 1 < pairs.size(); i += 2) {
        if (std::string why = output_refusal(pairs[i + 1], options.force); !why.empty()) {
            std::fprintf(err, "ostrel-lvl: %s: not written: %s\n", pairs[i + 1].c_str(),
                         why.c_str());
            status = 2;
            continue;
        }
        LvlFile file;
        // Scale 1 needs only the tile values, not the tileset's picture.
        if (!lvl_open(&file, pairs[i].c_str())) {
            std::fprintf(err, "ostrel-lvl: %s: %s\n", pairs[i].c_str(), file.error.c_str());
            status = 2;
            continue;
        }
        std::string error;
        if (render_file(file, pairs[i + 1].c_str(), options, &error)) {
            std::fprintf(out, "%s -> %s (%d x %d)\n", pairs[i].c_str(), pairs[i + 1].c_str(),
                         options.w * options.scale, options.h * options.scale);
        } else {
            std::fprintf(err, "ostrel-lvl: %s: cannot be written: %s\n", pairs[i + 1].c_str(),
                         error.c_str());
            status = 2;
        }
        lvl_close(&file);
    }
    return status;
}
