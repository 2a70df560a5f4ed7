// mouse_tools.h - the tool the left button works with (brush, eraser, line, rectangle, fill,
// select, pick), chosen by a letter while the console's input line is empty, and a line or
// rectangle being dragged: its cells are shown until the release makes them one step.
#pragma once
#include <cstdint>

#include "editor/mouse_tool.h"

struct MouseTools {
    MouseTool tool = MouseTool::Brush;
    int32_t shaping = 0; // a line or rectangle is being dragged from (x0, y0) to (x1, y1)
    int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool filled = false;       // the rectangle is filled (Shift held while dragging)
    bool swallow_left = false; // a shape was ended with the left button still down
};

// A tool letter (any case) with no Ctrl or Alt; 1 when it chose a tool.
int mouse_tools_key(int32_t key, int32_t modifiers);
void mouse_tools_choose(MouseTool tool);
// The line, rectangle and fill tools' part of a mouse step on the map (before painting): 1
// when they took the buttons.
int mouse_tools_mouse(int32_t modifiers, uint32_t buttons, uint32_t pressed, int32_t x, int32_t y);
// Drops a shape being dragged (a short right click); 1 when there was one.
int mouse_tools_cancel();
// The cells of the shape being dragged, translucent, over the map view.
void mouse_tools_draw();

// The tool strip, shown with the palette just above it: one cell per tool, the chosen one
// outlined in yellow; a click on a cell chooses its tool.
inline constexpr int kToolStripCell = 44, kToolStripHeight = 12;
inline constexpr int kToolStripWidth = kToolStripCell * 7;
void mouse_tools_draw_strip(int32_t x, int32_t y);
// The tool whose cell holds (px, py) in a strip drawn at (x, y); false outside the strip.
bool mouse_tools_strip_hit(int32_t px, int32_t py, int32_t x, int32_t y, MouseTool* out);
