// help_table.h - every key, mouse action and console command with a short effect: the one
// table F1's pages and "?help" are made from, and which the README's tables must match.
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

inline constexpr HelpRow kCommandHelp[] = {
    {"?go <file>", "open another map (level or Tiled file)"},
    {"?new", "start an empty map"},
    {"?recent, ?recent N", "list the last 10 maps; open one of them"},
    {"?save [<file>]", "save to the map's file, or under a new name"},
    {"?save!", "save also when the read left parts of the file out"},
    {"?tileset <file.bmp>, ?tileset none", "give the map a tileset, or none"},
    {"?settile <n>", "set the brush to tile n (0..255)"},
    {"?warpto <x> <y>", "centre the view on tile (x, y)"},
    {"?locate", "show the view's sector and position in tiles"},
    {"?fit", "show the map's content whole"},
    {"?insattr KEY=value, ?rmattr KEY", "add or replace, or remove, a map attribute"},
    {"?undo, ?redo", "undo or redo one step"},
    {"?rotate, ?flip h, ?flip v", "turn or mirror the clipboard's piece"},
    {"?fill, ?fill border", "fill the selection, or its outline, with the brush"},
    {"?line X1 Y1 X2 Y2", "draw a line of the brush"},
    {"?rect X1 Y1 X2 Y2 [filled]", "draw a rectangle of the brush"},
    {"?paste all, ?paste nonempty", "pastes write every cell, or skip empty ones"},
    {"?copyregions on, off", "copies carry the selected region's cells"},
    {"?help", "this list, in the console"},
    {"?quit, ?exit, ?shutdown", "quit without saving"},
    {"?region", "the selected region's facts"},
    {"?region new NAME", "create a region and select it"},
    {"?region rename NAME", "rename the selected region"},
    {"?region delete", "delete the selected region"},
    {"?region add, ?region remove", "put the selection in, or out of, the region"},
    {"?regions all, ?regions selected", "mark every region's cells, or the selected one"},
    {"?region base on|off", "base flag"},
    {"?region noantiwarp on|off, noweapons, noflags", "region flags"},
    {"?region autowarp X Y [ARENA]", "warp players who enter"},
    {"?region autowarp off", "remove the autowarps"},
    {"?region colour RRGGBB, ?region colour off", "the region's colour"},
};
