// render_fixture.h - shared set-up for the rendering tests: a dummy-driver window opened in
// a chosen folder, maps built in memory, and pixel reads.
#pragma once
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/hash.h"
#include "core/mem.h"
#include "map/mapdata.h"
#include "map/region.h"
#include "map/tilegrid.h"
#include "render/gfx.h"
#include "render/gfx_state.h"

inline uint32_t read_pixel(SDL_Surface* s, int x, int y) {
    const uint8_t* p =
        static_cast<const uint8_t*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    if (s->format->BytesPerPixel == 2) return *reinterpret_cast<const uint16_t*>(p);
    if (s->format->BytesPerPixel == 4) return *reinterpret_cast<const uint32_t*>(p);
    return p[0];
}

inline uint32_t rgb(SDL_Surface* s, uint8_t r, uint8_t g, uint8_t b) {
    return SDL_MapRGB(s->format, r, g, b);
}

// True when the w x h block at (ax, ay) of a equals the one at (bx, by) of b.
inline bool same_block(SDL_Surface* a, int ax, int ay, SDL_Surface* b, int bx, int by, int w,
                       int h) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (read_pixel(a, ax + x, ay + y) != read_pixel(b, bx + x, by + y)) return false;
    return true;
}

// True when every pixel of the block has the value.
inline bool block_is(SDL_Surface* s, int x0, int y0, int w, int h, uint32_t value) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (read_pixel(s, x0 + x, y0 + y) != value) return false;
    return true;
}

// True when the screen at (x, y) shows the glyph cell of a character in a band of the font.
inline bool shows_glyph(int x, int y, unsigned char ch, int band) {
    return same_block(g_gfx.screen, x, y, g_gfx.font, (ch - 32) % 48 * 8,
                      ((ch - 32) / 48 + 2 * band) * 8, 8, 8);
}

// A window under the dummy driver, opened in the run folder that holds the generated graphics.
class RenderTest : public ::testing::Test {
  protected:
    // Runs the rest of the test in a folder; TearDown returns to the previous one.
    void enter(const std::filesystem::path& folder) {
        if (previous_.empty()) previous_ = std::filesystem::current_path();
        std::filesystem::current_path(folder);
    }
    void open_window(int width = 640, int height = 480, const char* folder = OSTREL_RUN_DIR) {
        enter(folder);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        g_gfx = GfxState{};
        gfx_set_video_size(width, height, 16);
        gfx_init();
        ASSERT_NE(g_gfx.screen, nullptr);
    }

    // An empty map (no tileset bytes, so its tileset comes from "./graphics/tiles.bm2").
    MapData* new_map() {
        MapData* map = mapdata_new();
        map->tiles = tilegrid_new();
        maps_.push_back(map);
        return map;
    }

    void TearDown() override {
        for (MapData* map : maps_)
            mapdata_free(map);
        if (g_gfx.screen) gfx_shutdown();
        if (!previous_.empty()) std::filesystem::current_path(previous_);
    }

    std::vector<MapData*> maps_;
    std::filesystem::path previous_;
};

// A region owned by the map's region table (released with the map).
inline Region* add_region(MapData* map, const char* name) {
    Region* region = mapdata_add_region(map, name);
    mapdata_init_region_store(map);
    return region;
}
