// editor_mouse.h - painting, picking, erasing and scrolling with the mouse's buttons, and the
// tile palette's hit test.
#pragma once
#include "editor/input_event.h"

#include <cstdint>

// Mouse button bits of a held-button mask.
enum : uint32_t { MOUSE_LEFT = 1, MOUSE_MIDDLE = 2, MOUSE_RIGHT = 4 };

// Last-edit markers besides a painted value.
enum : int32_t { LAST_EDIT_PICK = -2, LAST_EDIT_ERASE = -3 };

// The pointer at window pixel (px, py): the pointer and the map cell under it (the hover tile).
void editor_point_at(int32_t px, int32_t py);
// One button press or release, handled at once at its own position with its own modifiers, so
// a click shorter than an input step paints, places or picks all the same. The wheel's presses
// zoom or step the brush (editor_wheel).
void editor_mouse_button(const InputEvent& event);
// One input step of the pointer: what the held buttons do along its motion (a stroke edits
// every cell from the last step's, a long right press scrolls, a drag follows).
void editor_mouse_step(const InputState& state);
// The same at map cell (x, y) with the pointer's pixel already in the Editor; a mask that
// differs from the held one presses or releases too.
void editor_mouse(int32_t modifiers, uint32_t buttons, int32_t x, int32_t y);
// Ends the open mouse stroke as one undo step ("stroke of N cells"); nothing when none is open.
void editor_end_stroke();
// 1 when the palette is shown and (px, py) lies on its panel.
int palette_hit(int32_t px, int32_t py);
// The palette's strip of special tiles, left to right, above the 190 tileset cells.
inline constexpr int kPaletteStrip[10] = {216, 217, 218, 219, 220, 241, 242, 252, 255, 251};
// Tile value under (px, py) in the palette panel; 0 where the panel shows nothing.
int palette_pick(int32_t px, int32_t py);
