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

void warn(const std::string& problem) {
    if (problem.empty()) return;
    log_msg('W', "%s", problem.c_str());
    console_print(app().console, 3, "%s", problem.c_str());
}

} // namespace

void keep_load_settings(const EditorOptions& options) {
    SettingsLoad load = settings_load();
    const Settings& s = load.settings;
    Editor& e = app();
    e.view.screen_width = static_cast<int16_t>(options.width ? options.width : s.window_width);
    e.view.screen_height = static_cast<int16_t>(options.height ? options.height : s.window_height);
    e.selected_tile = s.brush;
    e.view.grid_shown = s.grid;
    e.view.console_shown = s.console == ConsoleSize::Hidden  ? 0
                           : s.console == ConsoleSize::Third ? 2
                                                             : 1;
    app().mouse_tools.tool = s.tool;
    app().tools.paste_all = s.paste_all;
    app().kept = {s.zoom, load.problem};
}

void keep_report() {
    warn(app().kept.problem);
}

void keep_map_opened() {
    Editor& e = app();
    const MapData* map = e.doc.map.get();
    bookmarks_clear();
    editor_center_on_content();
    if (!map) return;
    if (e.doc.path.empty()) {
        // A map without content opens at the zoom of the last session.
        int32_t x0, y0, x1, y1;
        if (!map->tiles || !tilegrid_bounds(map->tiles, &x0, &y0, &x1, &y1)) {
            e.view.zoom = app().kept.zoom;
            editor_update_view();
        }
        return;
    }
    MapState state = map_state_load(e.doc.path.c_str());
    for (int i = 0; i < kBookmarkCount; ++i)
        if (state.bookmark_set[i])
            bookmark_set(i, static_cast<int16_t>(state.bookmark_x[i]),
                         static_cast<int16_t>(state.bookmark_y[i]));
    if (state.has_view) {
        e.view.center_x = static_cast<int16_t>(state.view_x);
        e.view.center_y = static_cast<int16_t>(state.view_y);
        e.view.zoom = state.zoom;
        editor_update_view();
    }
    warn(recent_add(e.doc.path.c_str()));
}

void keep_map_closing() {
    const Editor& e = app();
    if (!e.doc.map.get() || e.doc.path.empty()) return;
    MapState state;
    state.has_view = true;
    state.view_x = e.view.center_x;
    state.view_y = e.view.center_y;
    state.zoom = e.view.zoom;
    for (int i = 0; i < kBookmarkCount; ++i) {
        int16_t x = 0, y = 0;
        state.bookmark_set[i] = bookmark_get(i, &x, &y);
        state.bookmark_x[i] = x;
        state.bookmark_y[i] = y;
    }
    warn(map_state_save(e.doc.path.c_str(), state));
}

void keep_save_all() {
    keep_map_closing();
    // A damaged file stays for its owner to mend; the session's settings are not kept.
    if (!app().kept.problem.empty()) return;
    const Editor& e = app();
    Settings s;
    s.window_width = e.view.screen_width;
    s.window_height = e.view.screen_height;
    s.zoom = e.view.zoom;
    s.brush = e.selected_tile;
    s.tool = app().mouse_tools.tool;
    s.grid = e.view.grid_shown != 0;
    s.console = e.view.console_shown == 2 ? ConsoleSize::Third
                : e.view.console_shown    ? ConsoleSize::Lines
                                          : ConsoleSize::Hidden;
    s.paste_all = app().tools.paste_all != 0;
    std::string problem = settings_save(s);
    if (!problem.empty()) log_msg('W', "settings not kept: %s", problem.c_str());
}
