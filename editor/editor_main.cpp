// editor_main.cpp - the program's spine: banner, defaults, options, map load, the
// start-up sequence, the main loop and the shut-down sequence.
#include "editor/editor.h"
#include "editor/editor_state.h"
#include "editor/keep.h"
#include "editor/options.h"
#include "editor/recovery/editor_journal.h"
#include "editor/view_fit.h"

#include "editor/commands/commands.h"
#include "console/console.h"
#include "core/log.h"
#include "core/platform.h"
#include "map/exchange/exchange.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"
#include "map/model/tilegrid.h"
#include "render/gfx.h"
#include "render/mapview.h"

#include <SDL/SDL.h>

#include <csignal>
#include <cstdio>
#include <span>
#include <cstdlib>
#include <memory>

// The running editor: made in editor_main, or by a test that binds its own.
static Editor* g_app = nullptr;

Editor& app() {
    return *g_app;
}

void app_bind(Editor* editor) {
    g_app = editor;
}

uint32_t editor_start_millis() {
    return app().start_millis;
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

void editor_update_view() {
    view_update(&app().view);
    gfx_invalidate_view(app().gfx);
}

void editor_center_on_content() {
    Editor& e = app();
    const MapData* map = e.doc.map.get();
    ViewFit fit = view_fit(map ? map->tiles : nullptr, e.view.screen_width, e.view.screen_height);
    // Map pixels: 16 per cell, the centre in the middle of its cell.
    e.view.center_x = static_cast<int16_t>(fit.cell_x * 16 + 8);
    e.view.center_y = static_cast<int16_t>(fit.cell_y * 16 + 8);
    e.view.zoom = fit.zoom;
    editor_update_view();
}

int editor_main(int argc, char** argv) {
    const uint32_t start_millis = platform_millis();
    EditorOptions options =
        editor_options_parse(std::span<const char* const>(argv + 1, argc > 0 ? argc - 1 : 0));
    if (!options.error.empty() || options.help || options.version) {
        if (options.version) std::printf("%s %s\n", kProgramName, kVersion);
        if (!options.error.empty())
            std::fprintf(stderr, "%s: %s\n", kProgramName, options.error.c_str());
        if (!options.error.empty() || options.help)
            std::fputs(editor_options_usage(kProgramName).c_str(), options.help ? stdout : stderr);
        return options.error.empty() ? 0 : kOptionsUsageStatus;
    }
    log_msg(0, "%s v%s %s %s", kProgramName, kVersion, kBuildDate, kCredit);
    log_sdl_build();
    // Large (a console, a region list, help pages): on the heap, owned here.
    auto editor = std::make_unique<Editor>();
    editor->start_millis = start_millis;
    app_bind(editor.get());
    keep_load_settings(options);
    const char* level = options.map.c_str();
    gfx_set_video_size(app().gfx, app().view.screen_width, app().view.screen_height, 16);
    ExchangeRead opened = exchange_open(level);
    if (opened.map) app().doc = document_make(opened.map.release(), level, opened.losses);
    // A file that cannot be read leaves the default map, which has no file.
    if (!app_map()) app().doc = document_make(mapdata_load(""), "");
    if (!app_map()) return 0;
    std::signal(SIGTERM, on_terminate);
    editor_center_on_content();
    editor_init();
    // The map opens where it was left, else on what it holds.
    keep_map_opened();
    // The open map's edit journal follows it from here to the end.
    std::unique_ptr<EditorJournal, void (*)(EditorJournal*)> journal(editor_journal_new(),
                                                                     editor_journal_free);
    app().journal = journal.get();
    editor_journal_opened(app().journal, app().doc);
    keep_report();
    if (*level && app().doc.path.empty())
        console_print(app().console, 3, "cannot open %s", opened.error.c_str());
    for (const std::string& note : opened.notes)
        console_print(app().console, 1, "%s", note.c_str());
    commands_report_load(app().doc.read_losses);
    editor_run();
    editor_journal_closing(app().journal, app().doc);
    app().journal = nullptr;
    keep_save_all();
    editor_shutdown();
    app_bind(nullptr);
    return 0;
}
