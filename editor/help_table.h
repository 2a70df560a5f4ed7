// help_table.h - every key and mouse action with a short effect: the key table that F1's pages
// and "?help" show before the commands (which come from the command table), and which the
// README's key table must match.
#pragma once
#include <string_view>

struct HelpRow {
    std::string_view input;  // as the README's first column writes it
    std::string_view effect; // one short line
};

inline constexpr HelpRow kKeyHelp[] = {
    {"Left button", "use the tool (B brush); on the palette, pick"},
    {"Ctrl + left button", "pick the brush from the map"},
    {"Middle button", "erase the tile"},
    {"Right button (held)", "scroll toward the pointer; Shift: whole tiles"},
    {"Right click", "end a paste, a shape or the selection (no scroll)"},
    {"Mouse wheel", "zoom; over the console, scroll; over the palette, brush +-1"},
    {"Alt (held) + left button on the radar", "centre the view there"},
    {"Brush 251 + left button", "add the cell to the selected region"},
    {"Brush 251 + middle button", "take the cell out of the selected region"},
    {"B, E, L, R, F, S, I", "brush, eraser, line, rectangle, fill, select, pick"},
    {"Shift while dragging a rectangle", "a filled rectangle"},
    {"Tool strip (with the palette)", "click a cell to choose its tool"},
    {"Arrow keys", "scroll a tile; Shift: three quarters of a window"},
    {"Insert", "jump to the middle of the map"},
    {"Shift + left drag", "select a rectangle of cells"},
    {"Ctrl + A", "select the whole map"},
    {"Ctrl + C, Ctrl + X", "copy, or cut, the selection"},
    {"Delete", "clear the selection to 0"},
    {"Ctrl + V", "paste, centred on the pointer; left click places"},
    {"Z, X, Y (while pasting)", "turn the piece; mirror left-right; top-bottom"},
    {"Ctrl + F", "flood fill from the cell under the pointer"},
    {"Ctrl + Z", "undo the last step"},
    {"Ctrl + Y, Ctrl + Shift + Z", "redo the step undone last"},
    {"Page Up / Page Down (Shift: a page)", "region list cursor; its region is selected"},
    {"F1, F2, F4", "help pages, region list, tile palette"},
    {"F5", "console: four rows, a third of the window, hidden"},
    {"F6", "show or hide the frame rate"},
    {"Ctrl + F1..F4, Shift + F1..F4", "set bookmark 0..3 to the view; go back to it"},
    {"Alt (held)", "radar of the whole map"},
    {"Escape", "menu: 1, 2, 4 tile size; F3 grid; R regions; Q quit"},
    {"?", "begin a console line; Return runs, Escape drops"},
    {"Up / Down (in a console line)", "recall the lines run before"},
    {"Page Up / Page Down (in a console line)", "scroll the console's history"},
};
