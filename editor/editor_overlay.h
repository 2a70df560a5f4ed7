// editor_overlay.h - the status box in the top-right corner, the palette marks and the menu.
#pragma once

// The status box in the top-right corner, drawn in every frame: the file's short name and
// unsaved marker, the cell under the pointer and its value, the selected region, the zoom,
// and the brush as a number and a 16 x 16 picture.
void editor_draw_status();
// Over the palette: the brush's cell outlined and the number of the tile under the pointer.
void editor_draw_palette_marks();
// The menu box at the top centre, drawn while the menu is open.
void editor_draw_menu();
