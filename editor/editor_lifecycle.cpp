// editor_lifecycle.cpp - the start-up and shut-down sequences around the main loop.
#include "editor/editor.h"
#include "editor/editor_keys.h"
#include "editor/editor_state.h"
#include "editor/editor_tools.h"
#include "editor/help.h"
#include "editor/input_sdl.h"
#include "editor/regionlist.h"

#include "console/console.h"
#include "editor/editor_mouse.h"
#include "editor/keep.h"
#include "editor/mouse_tools.h"
#include "editor/recovery/editor_journal.h"
#include "render/panels.h"
#include "editor/commands/commands.h"
#include "map/model/mapdata.h"
#include "render/gfx.h"
#include "render/helpviewer.h"

// The region list is built from the loaded map before anything is drawn; the console comes
// last, once the window exists.
void editor_init() {
    help_fill_viewer();
    regionlist_init("New region");
    regionlist_set_rows(6);
    regionlist_rebuild();
    bookmarks_clear();
    editor_update_view();
    gfx_init(app().gfx);
    input_sdl_start();
    Editor& ed = app();
    // The full path of the map's file; a map without a file shows its label.
    console_init(ed.console, ed.view.screen_width, document_title(ed.doc));
    ed.console.on_line = [](const char* line) { console_command(line); };
}

void editor_open_document(Document doc) {
    editor_end_stroke();
    // The old map's view and bookmarks are kept for its next opening.
    keep_map_closing();
    mouse_tools_cancel();
    editor_journal_closing(app().journal, app().doc);
    // Nothing of the old map (selection, paste, selected region) carries over; the clipboard does.
    app().doc = std::move(doc);
    gfx_invalidate_view(app().gfx);
    // The radar remembers its map by address, which a new map may reuse.
    gfx_invalidate_radar(app().gfx);
    regionlist_rebuild();
    // The new map opens where it was left, else on what it holds.
    keep_map_opened();
    editor_journal_opened(app().journal, app().doc);
}

void editor_shutdown() {
    console_shutdown();
    gfx_shutdown(app().gfx);
    regionlist_free();
    helpviewer_release(app().help);
    editor_tools_free();
}
