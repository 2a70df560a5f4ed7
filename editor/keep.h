// keep.h - what the editor keeps between sessions, applied to and taken from the running
// editor: the settings file at start and at exit, each map's view and bookmarks when it is
// opened and left, and the recent list.
#pragma once

#include <cstdint>
#include <string>

struct EditorOptions;

// What the start read: the zoom for maps without content, and a damaged file's problem.
struct KeptSettings {
    int32_t zoom = 1;
    std::string problem;
};

// Reads the settings file into the editor (the window size only where the command line gave
// none). A damaged file is remembered for keep_report and left as it is at exit.
void keep_load_settings(const EditorOptions& options);
// Says in red, once the console exists, that the settings file was damaged.
void keep_report();
// The open map's kept view and bookmarks, or the view that shows its content and no
// bookmarks; a map with a file joins the recent list.
void keep_map_opened();
// Keeps the open map's view and bookmarks (a map with a file), before it is left.
void keep_map_closing();
// Writes the settings file (not over a damaged one) and keeps the open map's state.
void keep_save_all();
