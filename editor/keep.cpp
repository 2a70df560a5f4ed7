// keep.cpp - the settings file, per-map state and recent list applied to the editor record
// and taken back from it. Files and their format are editor/settings.
#include "editor/keep.h"

#include <string>

#include "console/console.h"
#include "core/log.h"
#include "editor/editor_keys.h"
#include "editor/editor_state.h"
#include "editor/mouse_tools.h"
#include "editor/options.h"
#include "editor/settings.h"
#include "map/model/mapdata.h"
#include "render/gfx.h"
#include "render/mapview.h"

namespace {

// What the start read: the zoom for maps without content, and a damaged file's problem.
struct KeptSettings {
    int32_t zoom = 1;
    std::string problem;
};
KeptSettings g_kept;

void warn(const std::string& problem) {
    if (problem.empty()) return;
    log_msg('W', "%s", problem.c_str());
    console_print(3, "%s", problem.c_str());
}

} // namespace

void keep_load_settings(const EditorOptions& options) {
    SettingsLoad load = settings_load();
    const Settings& s = load.settings;
    EditorState& e = g_editor;
    e.screen_width = static_cast<int16_t>(options.width ? options.width : s.window_width);
    e.screen_height = static_cast<int16_t>(options.height ? options.height : s.window_height);
    e.selected_tile = s.brush;
    e.grid_shown = s.grid;
    e.console_shown = s.console == ConsoleSize::Hidden  ? 0
                      : s.console == ConsoleSize::Third ? 2
                                                        : 1;
    g_mouse_tools.tool = s.tool;
    g_tools.paste_all = s.paste_all;
    g_kept = {s.zoom, load.problem};
}

void keep_report() {
    warn(g_kept.problem);
}

void keep_map_opened() {
    EditorState& e = g_editor;
    const MapData* map = e.current_map;
    bookmarks_clear();
    editor_center_on_content();
    if (!map) return;
    if (!map->path) {
        // A map without content opens at the zoom of the last session.
        int32_t x0, y0, x1, y1;
        if (!map->tiles || !tilegrid_bounds(map->tiles, &x0, &y0, &x1, &y1)) {
            e.zoom = g_kept.zoom;
            gfx_set_zoom(e.zoom);
            editor_update_view();
        }
        return;
    }
    MapState state = map_state_load(map->path);
    for (int i = 0; i < kBookmarkCount; ++i)
        if (state.bookmark_set[i])
            bookmark_set(i, static_cast<int16_t>(state.bookmark_x[i]),
                         static_cast<int16_t>(state.bookmark_y[i]));
    if (state.has_view) {
        e.view_center_x = static_cast<int16_t>(state.view_x);
        e.view_center_y = static_cast<int16_t>(state.view_y);
        e.zoom = state.zoom;
        gfx_set_zoom(e.zoom);
        editor_update_view();
    }
    warn(recent_add(map->path));
}

void keep_map_closing() {
    const EditorState& e = g_editor;
    if (!e.current_map || !e.current_map->path) return;
    MapState state;
    state.has_view = true;
    state.view_x = e.view_center_x;
    state.view_y = e.view_center_y;
    state.zoom = e.zoom;
    for (int i = 0; i < kBookmarkCount; ++i) {
        int16_t x = 0, y = 0;
        state.bookmark_set[i] = bookmark_get(i, &x, &y);
        state.bookmark_x[i] = x;
        state.bookmark_y[i] = y;
    }
    warn(map_state_save(e.current_map->path, state));
}

void keep_save_all() {
    keep_map_closing();
    // A damaged file stays for its owner to mend; the session's settings are not kept.
    if (!g_kept.problem.empty()) return;
    const EditorState& e = g_editor;
    Settings s;
    s.window_width = e.screen_width;
    s.window_height = e.screen_height;
    s.zoom = e.zoom;
    s.brush = e.selected_tile;
    s.tool = g_mouse_tools.tool;
    s.grid = e.grid_shown != 0;
    s.console = e.console_shown == 2 ? ConsoleSize::Third
                : e.console_shown    ? ConsoleSize::Lines
                                     : ConsoleSize::Hidden;
    s.paste_all = g_tools.paste_all != 0;
    std::string problem = settings_save(s);
    if (!problem.empty()) log_msg('W', "settings not kept: %s", problem.c_str());
}
