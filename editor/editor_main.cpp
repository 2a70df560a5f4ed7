// editor_main.cpp - the program's spine: banner, defaults, options, map load, the
// start-up sequence, the main loop and the shut-down sequence.
#include "editor/editor.h"
#include "editor/editor_state.h"
#include "editor/keep.h"
#include "editor/options.h"
#include "editor/recovery/editor_journal.h"
#include "editor/view_fit.h"

#include "console/commands.h"
#include "console/console.h"
#include "core/log.h"
#include "core/platform.h"
#include "map/exchange/exchange.h"
#include "map/model/mapdata.h"
#include "map/model/tilegrid.h"
#include "map/lvl/level.h"
#include "render/gfx.h"
#include "render/mapview.h"

#include <SDL/SDL.h>

#include <csignal>
#include <cstdio>
#include <span>
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
    const MapData* map = e.current_map;
    ViewFit fit = view_fit(map ? map->tiles : nullptr, e.screen_width, e.screen_height);
    // Map pixels: 16 per cell, the centre in the middle of its cell.
    e.view_center_x = static_cast<int16_t>(fit.cell_x * 16 + 8);
    e.view_center_y = static_cast<int16_t>(fit.cell_y * 16 + 8);
    e.zoom = fit.zoom;
    gfx_set_zoom(fit.zoom);
    editor_update_view();
}

int editor_main(int argc, char** argv) {
    g_start_millis = platform_millis();
    EditorOptions options =
        editor_options_parse(std::span<const char* const>(argv + 1, argc > 0 ? argc - 1 : 0));
    if (!options.error.empty() || options.help || options.version) {
        if (options.version) std::printf("%s %s\n", kProgramName, kVersion);
        if (!options.error.empty()) std::fprintf(stderr, "%s: %s\n", kProgramName, options.error.c_str());
        if (!options.error.empty() || options.help)
            std::fputs(editor_options_usage(kProgramName).c_str(), options.help ? stdout : stderr);
        return options.error.empty() ? 0 : kOptionsUsageStatus;
    }
    log_msg(0, "%s v%s %s %s", kProgramName, kVersion, kBuildDate, kCredit);
    log_sdl_build();
    editor_set_defaults();
    keep_load_settings(options);
    const char* level = options.map.c_str();
    gfx_set_video_size(g_editor.screen_width, g_editor.screen_height, 16);
    ExchangeRead opened = exchange_open(level);
    g_editor.current_map = opened.map.release();
    // A file that cannot be read leaves the default map, which has no file.
    if (!g_editor.current_map) g_editor.current_map = mapdata_load("");
    if (!g_editor.current_map) return 0;
    std::signal(SIGTERM, on_terminate);
    editor_center_on_content();
    editor_init();
    // The map opens where it was left, else on what it holds.
    keep_map_opened();
    g_editor.journal = editor_journal_new();
    editor_journal_opened(g_editor.journal, g_editor.current_map);
    keep_report();
    if (*level && !g_editor.current_map->path)
        console_print(3, "cannot open %s", opened.error.c_str());
    for (const std::string& note : opened.notes)
        console_print(1, "%s", note.c_str());
    commands_report_load(g_editor.current_map);
    editor_run();
    editor_journal_closing(g_editor.journal, g_editor.current_map);
    editor_journal_free(g_editor.journal);
    g_editor.journal = nullptr;
    keep_save_all();
    editor_shutdown();
    mapdata_free(g_editor.current_map);
    g_editor.current_map = nullptr;
    return 0;
}
