// editor_lifecycle.cpp - the start-up and shut-down sequences around the main loop.
#include "editor/editor.h"
#include "editor/editor_keys.h"
#include "editor/editor_state.h"
#include "editor/editor_tools.h"
#include "editor/help.h"
#include "editor/regionlist.h"

#include "console/console.h"
#include "render/gfx.h"
#include "render/helpviewer.h"

// With no tileset to draw with, the loop ends after its current pass.
static void stop_running() {
    g_editor.running = 0;
}

// The region list is built from the loaded map before anything is drawn; the console comes
// last, once the window exists.
void editor_init() {
    helpviewer_init();
    help_fill_viewer();
    regionlist_init("New region");
    regionlist_set_rows(6);
    regionlist_rebuild();
    bookmarks_clear();
    editor_update_view();
    gfx_init();
    gfx_set_stop_hook(stop_running);
    console_init();
}

void editor_shutdown() {
    console_shutdown();
    gfx_shutdown();
    regionlist_free();
    helpviewer_release();
    editor_tools_free();
}
