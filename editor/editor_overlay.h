// editor_overlay.h - the brush display in the top-right corner and the menu overlay.
#pragma once

// The brush as a number and a 16 x 16 picture, drawn in every frame.
void editor_draw_status();
// The menu box at the top centre, drawn while the menu is open.
void editor_draw_menu();
