// bench_editor.cpp - the editor's per-tick and per-frame costs on a real map under SDL's
// dummy video driver. Baselines: one full-window blit (BM_BaselineWindowBlit), the least a
// frame costs, and 64 bare grid writes (BM_BaselineGridWrites), the least a stroke costs.
#include <benchmark/benchmark.h>

#include "console/console.h"
#include "editor/editor_keys.h"
#include "editor/editor_loop.h"
#include "editor/editor_mouse.h"
#include "editor/editor_state.h"
#include "editor/regionlist.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"
#include "render/gfx.h"

#include <SDL.h>

#include <cstdlib>
#include <unistd.h>

namespace {

// The editor as editor_init leaves it, on duelpub.lvl when present.
struct Session {
    Session() {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        if (chdir(OSTREL_RUN_DIR) != 0) return;
        app_bind(&editor);
        app().doc.map.reset(mapdata_load(OSTREL_TESTDATA "/duelpub.lvl"));
        regionlist_init("New region");
        regionlist_set_rows(6);
        regionlist_rebuild();
        app().view.center_x = 345 * 16;
        app().view.center_y = 254 * 16;
        editor_update_view();
        gfx_set_video_size(640, 480, 16);
        gfx_init();
        console_init(app().console, 640, "duelpub.lvl");
        for (int i = 0; i < 8; ++i)
            console_print(app().console, 1, "message row %d of the console history", i);
    }
    ~Session() {
        console_shutdown();
        gfx_shutdown();
        regionlist_free();
        app_bind(nullptr);
    }
    Editor editor;
};

Session& session() {
    static Session s;
    return s;
}

void BM_BaselineWindowBlit(benchmark::State& state) {
    session();
    SDL_Surface* screen = gfx_screen();
    SDL_Surface* copy = SDL_DisplayFormat(screen);
    for (auto _ : state) {
        SDL_BlitSurface(copy, nullptr, screen, nullptr);
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(copy);
}
BENCHMARK(BM_BaselineWindowBlit);

// A frame of an idle editor: cached map view, hover box, status, console.
void BM_IdleFrame(benchmark::State& state) {
    session();
    app().view.palette_shown = 0;
    app().view.region_list_shown = 0;
    app().menu_open = 0;
    editor_redraw_step();
    for (auto _ : state)
        editor_redraw_step();
}
BENCHMARK(BM_IdleFrame);

// The busiest idle frame: palette, region list and the menu over eight console rows.
void BM_IdleFrameAllPanels(benchmark::State& state) {
    session();
    app().view.palette_shown = 1;
    app().view.region_list_shown = 1;
    app().menu_open = 1;
    editor_redraw_step();
    for (auto _ : state)
        editor_redraw_step();
    app().view.palette_shown = app().view.region_list_shown = app().menu_open = 0;
}
BENCHMARK(BM_IdleFrameAllPanels);

// One input step with nothing queued and no button: what every idle tick costs.
void BM_IdleInputStep(benchmark::State& state) {
    session();
    for (auto _ : state)
        editor_input_step();
}
BENCHMARK(BM_IdleInputStep);

void BM_BaselineGridWrites(benchmark::State& state) {
    session();
    TileGrid* grid = app_map()->tiles;
    int value = 0;
    for (auto _ : state) {
        value = value == 5 ? 6 : 5;
        for (int x = 0; x < 64; ++x)
            tilegrid_put(grid, 300 + x, 300, static_cast<uint8_t>(value));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BaselineGridWrites);

// A held left button crossing 64 tiles, each tile seen on two ticks (the repeat rule).
void BM_PaintStroke64(benchmark::State& state) {
    session();
    int brush = 0;
    for (auto _ : state) {
        app().selected_tile = brush = brush == 5 ? 6 : 5;
        for (int x = 0; x < 64; ++x) {
            editor_mouse(0, MOUSE_LEFT, 300 + x, 310);
            editor_mouse(0, MOUSE_LEFT, 300 + x, 310);
        }
    }
}
BENCHMARK(BM_PaintStroke64);

// A wheel notch to the frame on screen: the input step that reads the event and zooms about
// the pointer, then the frame it asks for, composed and presented. Zoom goes 1, 2, 4, 2, 1.
void BM_WheelZoomToFrame(benchmark::State& state) {
    session();
    int notch = 0;
    for (auto _ : state) {
        SDL_Event event{};
        event.type = SDL_MOUSEBUTTONDOWN;
        event.button.button = (notch++ % 4) < 2 ? MOUSE_WHEEL_DOWN : MOUSE_WHEEL_UP;
        event.button.x = 200;
        event.button.y = 150;
        SDL_PushEvent(&event);
        editor_input_step();
        editor_redraw_step();
        gfx_present();
    }
}
BENCHMARK(BM_WheelZoomToFrame)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
