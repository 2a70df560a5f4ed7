// editor_state.h - the Editor: the open Document, the View, the tools, the console, the
// region list, the help pages and bookmarks, and the pointer and keys as input left them.
#pragma once
#include <cstdint>
#include <memory>

#include "console/console.h"
#include "editor/document.h"
#include "editor/keep.h"
#include "editor/mouse_tools.h"
#include "editor/regionlist.h"
#include "editor/view.h"
#include "map/edit/clipboard.h"
#include "render/gfx_state.h"
#include "render/helpviewer.h"

struct EditorJournal;
struct MapData;
struct Region;

// The right button: a short click ends what is under way, a held one scrolls.
struct RightPress {
    int32_t steps = 0; // input steps the button has been held
    int32_t x = 0, y = 0; // where it went down
    bool moved = false;
};

// The editing tools that outlive a Document: the clipboard and how the held button strokes.
struct EditorTools {
    std::unique_ptr<ClipPiece> clipboard; // pieces move between maps
    int32_t copy_regions = 0;             // "?copyregions on": copies carry the selected region's cells
    int32_t paste_all = 0;                // "?paste all": pastes write the piece's empty cells too
    uint32_t last_buttons = 0;
    int32_t stroke_action = 0; // what the held button did last step (0 none), from the cell below
    int32_t stroke_x = 0, stroke_y = 0;
    int32_t stroke_cells = 0;     // map cells the open stroke has edited, for its label
    bool told_no_region = false; // the brush-without-region line was shown during this press
    RightPress right;            // the right button's press under way
};

struct Bookmark {
    int16_t x = 0;
    int16_t y = 0;
    bool set = false;
};

// Hovered map tile of the last input step.
struct HoverTile {
    int32_t x = -1;
    int32_t y = -1;
};

struct Editor {
    Document doc;
    View view;
    GfxState gfx; // the window's surfaces and the drawing caches
    EditorTools tools;
    MouseTools mouse_tools;
    KeptSettings kept;
    Console console;
    RegionList regionlist{};
    HelpState help{};
    Bookmark bookmarks[4];
    HoverTile hover;
    int32_t running = 1;
    int32_t menu_open = 0;
    int32_t alt_held = 0;
    int32_t selected_tile = 1; // the brush, 0..255
    int32_t mouse_x = 0;       // window pixels, snapped to the hovered cell after a step
    int32_t mouse_y = 0;
    int32_t pointer_x = 0; // the pointer as polled, before the hover snap
    int32_t pointer_y = 0;
    int32_t last_edit_x = -1;
    int32_t last_edit_y = -1;
    int32_t last_edit_value = -1; // value painted, -2 after a pick, -3 after an erase
    uint32_t buttons_held = 0;    // button mask of the previous input step
    int32_t mouse_capture = 0;    // the panel (or the map) a press began on, until all are released
    float scroll_rest_x = 0;      // map pixels of right-button scrolling not yet applied
    float scroll_rest_y = 0;
    int32_t refused_discard = 0;       // kind of the last refused DiscardRequest, 0 for none
    uint32_t refused_discard_tick = 0; // when it was refused
    bool frame_requested = false;      // a change the user waits to see: compose and present at once
    uint32_t start_millis = 0;         // platform clock when the editor started
    EditorJournal* journal = nullptr;  // the open map's edit journal (editor_main owns it)
};

// The editor the program runs, made in editor_main (tests make their own and bind it).
Editor& app();
void app_bind(Editor* editor);

// The open map with its history (null only before the first map is made).
inline MapEdit app_map() {
    return app().doc.map.edit();
}

// Clamps the view centre, derives offset and top-left tile, and invalidates the map view.
void editor_update_view();
// Centres the view on the median of the map's non-empty cells at the largest zoom that shows
// them all (view_fit); the map's middle when empty.
void editor_center_on_content();
// Replaces the Document with doc and shows its map from the middle of what it holds.
void editor_open_document(Document doc);
// Undo and redo one step of the current map, with one console line naming it.
void editor_undo();
void editor_redo();
// Says once on the console when the current map's history had to drop its oldest steps.
void editor_history_notice();
// Refills the region list from the open map (after the console opened another map).
void regionlist_rebuild();
// Refills the region list after the map's regions changed, keeping the selected region under
// the cursor.
void regionlist_sync();

// Requests that would drop the current map's unsaved changes.
enum DiscardRequest : int {
    DISCARD_QUIT = 1, // "?quit" and its kin, Escape then Q, the window's close button
    DISCARD_OPEN = 2, // "?go", "?recent N", "?new"
};
// 1 when the request may go ahead: the map has no unsaved changes, or the same kind of
// request was refused less than 5 seconds ago. Otherwise prints the warning in red and
// returns 0.
int editor_may_discard(int request);
int editor_may_discard_at(int request, uint32_t now_ticks);

// The region a copy, cut or paste carries: the selected region with "?copyregions on".
Region* editor_tools_region();
// Drops the selection; the map view shows it gone at the next frame.
void editor_select_none();
