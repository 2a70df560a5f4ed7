// editor_tools.h - the editing tools' keys and mouse: rectangle selection, copy, cut, delete,
// paste following the pointer, flood fill; and their drawing over the map view.
#pragma once
#include <cstdint>

// SDL 1.2 key codes the tools take (letters arrive lower case whatever the Shift state).
enum : int32_t { KEY_DELETE = 127 };

// Ctrl+A, Ctrl+C, Ctrl+X, Ctrl+V, Ctrl+F and Delete; 1 when the key was taken.
int editor_tool_key(int32_t key, int32_t modifiers);
// The tools' part of one mouse step (before painting): a Shift + left drag selects, a right
// press clears the selection or ends a paste, a left press places the paste. 1 when the
// tools took the buttons this step, so nothing is painted.
int editor_tool_mouse(int32_t modifiers, uint32_t buttons, int32_t x, int32_t y);
// Flood fill with the brush from (x, y), inside the selection when there is one; says why when
// the start lies outside it.
void editor_flood_fill(int32_t x, int32_t y);
// While pasting, Z turns the piece, X mirrors it left to right and Y top to bottom; 1 when
// the key was taken.
int editor_paste_key(int32_t key);
// Ends a paste, else drops the selection; 1 when there was one.
int editor_tools_cancel();
// Selection outline and paste preview over the map view (after gfx_draw_map).
void editor_draw_tools();
// Releases the clipboard and resets the tools (at shut-down).
void editor_tools_free();
