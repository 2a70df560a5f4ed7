// editor_state.h - the one program-wide editor record, and the few editor calls that the
// render and console subsystems may make. This is the only editor header they include.
#pragma once
#include <cstdint>

struct MapData;
struct Region;

struct EditorState {
    int16_t screen_width; // window size in pixels
    int16_t screen_height;
    int16_t view_offset_x; // derived: 0, or at zoom 1 minus the sub-tile part of the centre
    int16_t view_offset_y;
    int16_t view_center_x; // map pixels (16 per tile at every zoom), 0..16384
    int16_t view_center_y;
    int16_t view_tile_x; // derived: map column drawn at the view's left edge
    int16_t view_tile_y;
    MapData* current_map; // owned
    int32_t zoom;         // 1, 2 or 4: a tile is 16 / zoom pixels square
    int32_t grid_shown;
    int32_t console_shown; // 0 hidden, 1 four rows, 2 a third of the window (F5 cycles)
    int32_t regions_all;   // "?regions all": every region's cells marked in its colour
    int32_t menu_open;
    int32_t region_list_shown;
    int32_t help_page; // 0 none, k > 0 shows page k - 1
    int32_t palette_shown;
    int32_t alt_held;
    int32_t mouse_x; // window pixels
    int32_t mouse_y;
    int32_t selected_tile; // the brush, 0..255
    int32_t last_edit_x;
    int32_t last_edit_y;
    int32_t last_edit_value; // value painted, -2 after a pick, -3 after an erase
    int32_t running;
    int32_t pointer_x; // the pointer as polled, before the hover snap of mouse_x and mouse_y
    int32_t pointer_y;
    uint32_t buttons_held; // button mask of the previous input step
    int32_t mouse_capture; // the panel (or the map) a press began on, until all are released
    float scroll_rest_x;   // map pixels of right-button scrolling not yet applied
    float scroll_rest_y;
    int32_t fps_shown;             // the frame-rate figure (F6)
    int32_t refused_discard;       // kind of the last refused DiscardRequest, 0 for none
    uint32_t refused_discard_tick; // when it was refused
};

extern EditorState g_editor;

// Gives every field of the editor record its default.
void editor_set_defaults();
// Clamps the view centre, derives offset and top-left tile, and invalidates the map view.
void editor_update_view();
// Centres the view on the median of the map's non-empty cells at the largest zoom that shows
// them all (view_fit); the map's middle when empty.
void editor_center_on_content();
// Undo and redo one step of the current map, with one console line naming it.
void editor_undo();
void editor_redo();
// Says once on the console when the current map's history had to drop its oldest steps.
void editor_history_notice();
// Refills the region list from current_map (after the console opened another map).
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

struct ClipPiece;

// The editing tools: the selection, the clipboard and a paste under way. Cells, not pixels.
struct EditorTools {
    int32_t selection_shown; // a rectangle is selected
    int32_t sel_x, sel_y, sel_w, sel_h;
    int32_t selecting; // a Shift + left drag is under way, from (drag_x, drag_y)
    int32_t drag_x, drag_y;
    ClipPiece* clipboard; // owned; outlives maps, so pieces move between them
    int32_t pasting;      // the piece follows the pointer until a right click
    int32_t copy_regions; // "?copyregions on": copies carry the selected region's cells
    int32_t paste_all;    // "?paste all": pastes write the piece's empty cells too
    uint32_t last_buttons;
    int32_t stroke_action; // what the held button did last step (0 none), from the cell below
    int32_t stroke_x, stroke_y;
};

extern EditorTools g_tools;

// The region a copy, cut or paste carries: the selected region with "?copyregions on".
Region* editor_tools_region();
// Drops the selection; the map view shows it gone at the next frame.
void editor_select_none();
