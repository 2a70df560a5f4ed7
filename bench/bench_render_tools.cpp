// bench_render_tools.cpp - what the selection outline and the paste preview add to a frame in
// a 1920 x 1080 window under SDL's dummy driver. Baseline: the steady frame itself, one blit
// of the cached map view (BM_SteadyFrame); each case adds the tools' drawing to it.
#include <SDL/SDL.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>

#include "map/edit/clipboard.h"
#include "map/model/mapdata.h"
#include "map/model/tilegrid.h"
#include "render/gfx.h"
#include "render/mapview.h"
#include "render/tools_overlay.h"

namespace {

MapData* g_map = nullptr;

void open_window() {
    if (g_map) return;
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (chdir(OSTREL_RUN_DIR) != 0) std::abort();
    gfx_set_video_size(1920, 1080, 16);
    gfx_init();
    g_map = mapdata_new();
    g_map->tiles = tilegrid_new();
    for (int x = 0; x < 1024; ++x)
        for (int y = 0; y < 1024; ++y)
            tilegrid_put(g_map->tiles, x, y, static_cast<uint8_t>((x * 7 + y * 3) % 200));
    gfx_ensure_tileset(g_map);
    gfx_draw_map(g_map, {0, 0, 400, 300, -1, -1, 1});
}

ClipPiece piece_of(int side) {
    ClipPiece piece;
    clip_copy(g_map, {400, 300, side, side}, nullptr, &piece);
    return piece;
}

// Arg: zoom. Frame plus a whole-map selection outline (its edges off-screen on two sides)
// and a 64 x 64 cell paste preview.
void BM_SteadyFrame(benchmark::State& state) {
    open_window();
    const int zoom = static_cast<int>(state.range(0));
    gfx_invalidate_view();
    for (auto _ : state) {
        gfx_draw_map(g_map, {0, 0, 400, 300, -1, -1, zoom});
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SteadyFrame)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond);

void frame_with_tools(benchmark::State& state, int side) {
    open_window();
    const int zoom = static_cast<int>(state.range(0)), s = 16 / zoom;
    gfx_invalidate_view();
    ClipPiece piece = piece_of(side);
    for (auto _ : state) {
        gfx_draw_map(g_map, {0, 0, 400, 300, -1, -1, zoom});
        gfx_draw_piece(nullptr, g_map, &piece, 300, 200, s);
        gfx_draw_marching_outline(nullptr, 300 - 1, 200 - 1, side * s + 2, side * s + 2, true);
        gfx_draw_marching_outline(nullptr, -400 * s, -300 * s, 1024 * s, 1024 * s, false);
        benchmark::ClobberMemory();
    }
}

void BM_FrameWithTools64(benchmark::State& state) {
    frame_with_tools(state, 64);
}
// A piece that covers the whole window at zoom 1: the dearest preview there is.
void BM_FrameWithToolsWholeWindow(benchmark::State& state) {
    frame_with_tools(state, 128);
}
BENCHMARK(BM_FrameWithTools64)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameWithToolsWholeWindow)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
