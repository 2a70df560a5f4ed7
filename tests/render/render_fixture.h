// render_fixture.h - shared set-up for the rendering tests: a dummy-driver window opened in
// a chosen folder, maps built in memory, and pixel reads.
#pragma once
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "map/mapdata.h"
#include "map/tilegrid.h"
#include "render/gfx.h"
#include "render/gfx_state.h"

// Runs the test in a folder and returns to the previous one afterwards.
class ScopedFolder {
  public:
    explicit ScopedFolder(const std::filesystem::path& folder)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~ScopedFolder() { std::filesystem::current_path(previous_); }

  private:
    std::filesystem::path previous_;
};

inline uint32_t read_pixel(SDL_Surface* surface, int x, int y) {
    const uint8_t* p = static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch +
                       x * surface->format->BytesPerPixel;
    switch (surface->format->BytesPerPixel) {
    case 2:
        return *reinterpret_cast<const uint16_t*>(p);
    case 4:
        return *reinterpret_cast<const uint32_t*>(p);
    default:
        return p[0];
    }
}

inline uint32_t rgb(SDL_Surface* surface, uint8_t r, uint8_t g, uint8_t b) {
    return SDL_MapRGB(surface->format, r, g, b);
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

// A window under the dummy driver, opened in the run folder that holds the generated graphics.
class RenderTest : public ::testing::Test {
  protected:
    void open_window(int width = 640, int height = 480, const char* folder = OSTREL_RUN_DIR) {
        folder_ = std::make_unique<ScopedFolder>(folder);
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
        folder_.reset();
    }

    std::vector<MapData*> maps_;
    std::unique_ptr<ScopedFolder> folder_;
};

#include "core/hash.h"
#include "core/mem.h"
#include "map/region.h"

// A region owned by the map's region table (released with the map), holding the given cells.
inline Region* add_region(MapData* map, const char* name) {
    auto* region = static_cast<Region*>(mem_alloc(sizeof(Region)));
    region->owner = map;
    if (!map->regions) map->regions = hash_create();
    region->name = hash_add(map->regions, name, region);
    mapdata_init_region_store(map);
    return region;
}
