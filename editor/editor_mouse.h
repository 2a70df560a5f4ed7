// editor_mouse.h - painting, picking, erasing and scrolling with the polled mouse, and the
// tile palette's hit test.
#pragma once
#include <cstdint>

// Mouse button bits as SDL_GetMouseState reports them.
enum : uint32_t { MOUSE_LEFT = 1, MOUSE_MIDDLE = 2, MOUSE_RIGHT = 4 };

// Last-edit markers besides a painted value.
enum : int32_t { LAST_EDIT_PICK = -2, LAST_EDIT_ERASE = -3 };

// One input step of the mouse: modifiers, button mask and the hovered map tile.
void editor_mouse(int32_t modifiers, uint32_t buttons, int32_t x, int32_t y);
// Ends the open mouse stroke as one undo step ("stroke of N cells"); nothing when none is open.
void editor_end_stroke();
// 1 when the palette is shown and (px, py) lies on its panel.
int palette_hit(int32_t px, int32_t py);
// The palette's strip of special tiles, left to right, above the 190 tileset cells.
inline constexpr int kPaletteStrip[10] = {216, 217, 218, 219, 220, 241, 242, 252, 255, 251};
// Tile value under (px, py) in the palette panel; 0 where the panel shows nothing.
int palette_pick(int32_t px, int32_t py);
