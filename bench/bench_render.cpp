// bench_render.cpp - map view redraws, cached frames and radar rebuilds in a 1920 x 1080
// window under SDL's dummy driver, each beside a plain copy of the same bytes.
#include <SDL/SDL.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include "map/edit/edit.h"
#include "map/model/mapdata.h"
#include "map/model/stamp.h"
#include "map/model/tilegrid.h"
#include "render/draw.h"
#include "render/gfx.h"
#include "render/gfx_state.h"
#include "render/mapdraw.h"
#include "render/mapview.h"
#include "render/panels.h"

namespace {

MapData* g_map = nullptr;
GfxState g_gfx; // the window the cases draw into

// Every cell holds something: mostly tileset cells, some empty cells, icons and objects.
MapData* make_busy_map() {
    MapData* map = mapdata_new();
    map->tiles = tilegrid_new();
    std::mt19937 random(7);
    for (int y = 0; y < 1024; ++y)
        for (int x = 0; x < 1024; ++x) {
            const uint32_t roll = random() % 100;
            uint8_t tile = static_cast<uint8_t>(1 + random() % 190);
            if (roll < 10)
                tile = 0;
            else if (roll < 12)
                tile = static_cast<uint8_t>(241 + random() % 2);
            tilegrid_put(map->tiles, x, y, tile);
        }
    // Objects through the change path (their squares), whose history is not kept.
    EditedMap objects(map);
    for (int k = 0; k < 4000; ++k)
        edit_paint(objects, static_cast<int>(random() % 1018), static_cast<int>(random() % 1018),
                   static_cast<int>(216 + random() % 5));
    objects.history.reset();
    return objects.map.release();
}

void open_window() {
    if (g_map) return;
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (chdir(OSTREL_RUN_DIR) != 0) std::abort();
    gfx_set_video_size(g_gfx, 1920, 1080, 16);
    gfx_init(g_gfx);
    g_map = make_busy_map();
    gfx_ensure_tileset(g_gfx, g_map);
}

void redraw(benchmark::State& state, int zoom) {
    open_window();
    for (auto _ : state) {
        gfx_invalidate_view(g_gfx);
        gfx_draw_map(g_gfx, g_map, {-3, -5, 400, 300, -1, -1, zoom});
        benchmark::ClobberMemory();
    }
}

void BM_RedrawZoom1(benchmark::State& state) {
    redraw(state, 1);
}
void BM_RedrawZoom2(benchmark::State& state) {
    redraw(state, 2);
}
void BM_RedrawZoom4(benchmark::State& state) {
    redraw(state, 4);
}

// Baseline: the same redraw (clear, draw, blit to the window) with flat class-coloured squares
// instead of tile pictures, as zoom 2 and 4 were drawn before.
void flat_redraw(benchmark::State& state, int zoom) {
    open_window();
    MapScene scene;
    scene.map = g_map;
    scene.origin_x = 400;
    scene.origin_y = 300;
    scene.columns = zoom * (1920 / 16 + 2);
    scene.rows = zoom * (1080 / 16 + 2);
    scene.zoom = zoom;
    scene.flat = true;
    for (auto _ : state) {
        SDL_FillRect(g_gfx.map_buffer, nullptr, 0);
        gfx_render_map(g_gfx.map_buffer, scene, MapPictures{});
        gfx_blit(g_gfx.map_buffer, nullptr, g_gfx.screen, 0, 0);
        benchmark::ClobberMemory();
    }
}
void BM_BaselineFlatZoom2(benchmark::State& state) {
    flat_redraw(state, 2);
}
void BM_BaselineFlatZoom4(benchmark::State& state) {
    flat_redraw(state, 4);
}

// A frame with nothing invalidated: the buffer's blit plus the overlays the main loop draws.
void BM_CachedFrame(benchmark::State& state) {
    open_window();
    gfx_invalidate_view(g_gfx);
    gfx_draw_map(g_gfx, g_map, {-3, -5, 400, 300, -1, -1, 1});
    for (auto _ : state) {
        gfx_draw_map(g_gfx, g_map, {-3, -5, 400, 300, -1, -1, 1});
        gfx_draw_outline(g_gfx, nullptr, 500, 400, 16, 16, COLOUR_RED);
        gfx_draw_text(g_gfx, nullptr, 516, 416, "(512, 300)", COLOUR_GREY);
        gfx_draw_text(g_gfx, nullptr, 1880, 8, "171", COLOUR_GREY);
        gfx_draw_text(g_gfx, nullptr, 4, 1040, "map saved as zone.lvl", COLOUR_GREEN);
        gfx_draw_text(g_gfx, nullptr, 480, 0, "50", COLOUR_RED);
        benchmark::ClobberMemory();
    }
}

void BM_RadarRebuild(benchmark::State& state) {
    open_window();
    for (auto _ : state) {
        gfx_invalidate_radar(g_gfx);
        gfx_draw_radar(g_gfx, g_map, 1920 - 258, 1080 - 258, 400, 300, 1);
        benchmark::ClobberMemory();
    }
}

// Baselines: the same bytes moved by memset, memcpy and SDL's own blit.
void BM_BaselineMemsetMapBuffer(benchmark::State& state) {
    open_window();
    SDL_Surface* buffer = g_gfx.map_buffer;
    for (auto _ : state) {
        std::memset(buffer->pixels, static_cast<int>(state.iterations() & 1),
                    static_cast<size_t>(buffer->pitch) * buffer->h);
        benchmark::ClobberMemory();
    }
}

void BM_BaselineFillMapBuffer(benchmark::State& state) {
    open_window();
    for (auto _ : state) {
        SDL_FillRect(g_gfx.map_buffer, nullptr, 0);
        benchmark::ClobberMemory();
    }
}

void BM_BaselineBlitMapBuffer(benchmark::State& state) {
    open_window();
    for (auto _ : state) {
        SDL_Rect to = {-3, -5, 0, 0};
        SDL_BlitSurface(g_gfx.map_buffer, nullptr, g_gfx.screen, &to);
        benchmark::ClobberMemory();
    }
}

void BM_BaselineMemsetRadar(benchmark::State& state) {
    open_window();
    gfx_draw_radar(g_gfx, g_map, 0, 0, 0, 0, 1);
    SDL_Surface* radar = g_gfx.radar;
    for (auto _ : state) {
        std::memset(radar->pixels, static_cast<int>(state.iterations() & 1),
                    static_cast<size_t>(radar->pitch) * radar->h);
        benchmark::ClobberMemory();
    }
}

// The radar as one fill call per tile: what writing the pixels avoids.
void BM_BaselineRadarFillPerTile(benchmark::State& state) {
    open_window();
    gfx_draw_radar(g_gfx, g_map, 0, 0, 0, 0, 1);
    SDL_Surface* radar = g_gfx.radar;
    for (auto _ : state) {
        for (int y = 0; y < 1024; ++y)
            for (int x = 0; x < 1024; ++x) {
                uint8_t r, g, b;
                if (gfx_tile_class_colour(mapdata_get_tile(g_map, x, y), &r, &g, &b)) {
                    SDL_Rect pixel = {static_cast<Sint16>(x / 4), static_cast<Sint16>(y / 4), 1, 1};
                    SDL_FillRect(radar, &pixel, SDL_MapRGB(radar->format, r, g, b));
                }
            }
        benchmark::ClobberMemory();
    }
}

} // namespace

BENCHMARK(BM_RedrawZoom1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RedrawZoom2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RedrawZoom4)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BaselineFlatZoom2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BaselineFlatZoom4)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CachedFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RadarRebuild)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BaselineMemsetMapBuffer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BaselineFillMapBuffer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BaselineBlitMapBuffer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BaselineMemsetRadar)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BaselineRadarFillPerTile)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
