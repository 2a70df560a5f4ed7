// editor_main.cpp - the program's spine: banner, defaults, options, map load, the
// start-up sequence, the main loop and the shut-down sequence.
#include "editor/editor.h"
#include "editor/editor_state.h"

#include "console/commands.h"
#include "console/console.h"
#include "core/log.h"
#include "core/platform.h"
#include "map/level.h"
#include "map/mapdata.h"
#include "map/tilegrid.h"
#include "render/gfx.h"

#include <SDL/SDL.h>

#include <csignal>
#include <cstdlib>

EditorState g_editor;

// When editor_main began, for the start-to-first-frame figure in the log.
static uint32_t g_start_millis;

uint32_t editor_start_millis() {
    return g_start_millis;
}

// Set by SIGTERM. Installed before SDL starts, so SDL leaves it in place instead of turning
// the signal into a quit event, which would ask about unsaved changes.
static volatile std::sig_atomic_t g_terminate;

static void on_terminate(int) {
    g_terminate = 1;
}

bool editor_terminate_requested() {
    return g_terminate != 0;
}

static constexpr const char* kProgramName = "ostrel";
static constexpr const char* kVersion = "0.2.4";
static constexpr const char* kBuildDate = "Dec  4 2004";
static constexpr const char* kCredit = "- a tile map editor by the Ostrel developers";

// Names the SDL 1.2 build the program runs on: the classic library, or the one built on top of
// SDL 2, which counts its releases from 1.2.50 on.
static void log_sdl_build() {
    const SDL_version* v = SDL_Linked_Version();
    if (!v) return;
    log_msg(0, "SDL %d.%d.%d (%s)", v->major, v->minor, v->patch,
            v->patch >= 50 ? "sdl12-compat, on SDL 2" : "classic SDL 1.2 library");
}

void editor_set_defaults() {
    g_editor = EditorState{};
    g_editor.screen_width = 640;
    g_editor.screen_height = 480;
    g_editor.zoom = 1;
    g_editor.grid_shown = 1;
    g_editor.console_shown = 1;
    g_editor.selected_tile = 1;
    g_editor.last_edit_x = -1;
    g_editor.last_edit_y = -1;
    g_editor.last_edit_value = -1;
    g_editor.running = 1;
}

// Reads the number after a two-letter option with automatic base; 0 when there is none.
// Numbers that do not fit the 16-bit size fields are treated as no number.
static long option_number(const char* text) {
    char* end = nullptr;
    long value = std::strtol(text, &end, 0);
    if (value > 32767) return 0;
    return value;
}

const char* editor_parse_options(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        bool is_w = arg[0] == '-' && arg[1] == 'w';
        bool is_h = arg[0] == '-' && arg[1] == 'h';
        if (!is_w && !is_h) return arg;
        // A bare "-w" or "-h" is skipped.
        if (arg[2] == '\0') continue;
        long value = option_number(arg + 2);
        if (is_w && value >= 320) g_editor.screen_width = static_cast<int16_t>(value);
        if (is_h && value >= 240) g_editor.screen_height = static_cast<int16_t>(value);
    }
    return "";
}

void editor_update_view() {
    EditorState& e = g_editor;
    if (e.view_center_x < 0) e.view_center_x = 0;
    if (e.view_center_y < 0) e.view_center_y = 0;
    if (e.view_center_x > 16384) e.view_center_x = 16384;
    if (e.view_center_y > 16384) e.view_center_y = 16384;
    if (e.zoom == 1) {
        e.view_offset_x = static_cast<int16_t>(-(e.view_center_x % 16));
        e.view_offset_y = static_cast<int16_t>(-(e.view_center_y % 16));
    } else {
        e.view_offset_x = 0;
        e.view_offset_y = 0;
    }
    // The shift right by 4 is a floor division, also for negative values.
    int32_t left = e.view_offset_x - (e.screen_width / 2) * e.zoom + e.view_center_x;
    int32_t top = e.view_offset_y - (e.screen_height / 2) * e.zoom + e.view_center_y;
    e.view_tile_x = static_cast<int16_t>(left >> 4);
    e.view_tile_y = static_cast<int16_t>(top >> 4);
    gfx_invalidate_view();
}

void editor_center_on_content() {
    EditorState& e = g_editor;
    int32_t x0 = 0, y0 = 0, x1 = 1023, y1 = 1023;
    const MapData* map = e.current_map;
    if (!map || !map->tiles || !tilegrid_bounds(map->tiles, &x0, &y0, &x1, &y1)) {
        x0 = y0 = 0;
        x1 = y1 = 1023;
    }
    // Map pixels: 16 per cell, so the middle of cells x0..x1 is (x0 + x1 + 1) * 8.
    e.view_center_x = static_cast<int16_t>((x0 + x1 + 1) * 8);
    e.view_center_y = static_cast<int16_t>((y0 + y1 + 1) * 8);
    editor_update_view();
}

int editor_main(int argc, char** argv) {
    g_start_millis = platform_millis();
    log_msg(0, "%s v%s %s %s", kProgramName, kVersion, kBuildDate, kCredit);
    log_sdl_build();
    editor_set_defaults();
    const char* level = editor_parse_options(argc, argv);
    gfx_set_video_size(g_editor.screen_width, g_editor.screen_height, 16);
    int open_error = 0;
    g_editor.current_map = mapdata_open(level, &open_error);
    // A file that cannot be read leaves the default map, which has no file.
    if (!g_editor.current_map) g_editor.current_map = mapdata_load("");
    if (!g_editor.current_map) return 0;
    std::signal(SIGTERM, on_terminate);
    // The map opens seen from the middle of what it holds.
    editor_center_on_content();
    editor_init();
    if (*level && !g_editor.current_map->path)
        console_print(3, "cannot open %s: %s", level,
                      file_error_describe(open_error, level, kLevelFileLimit).c_str());
    commands_report_load(g_editor.current_map);
    editor_run();
    editor_shutdown();
    mapdata_free(g_editor.current_map);
    g_editor.current_map = nullptr;
    return 0;
}
