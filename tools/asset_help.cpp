// asset_help.cpp - the text of "Commands.hlp": pages start with '#', '%' + letter sets colour.
#include "assets.h"

const char* help_text() {
    return R"(Ostrel help file. F1 shows the next page; after the last page the help closes.
#%YOstrel v0.2.4%W - page 1 of 4: %Gthe mouse
%WThe box follows the pointer and marks the hovered tile.
%Gleft button%W     paint the brush tile on every tile the pointer passes
%G  + Ctrl%W        pick the brush from the map (an object gives its own tile)
%G  on palette%W    choose the brush from the tile palette
%Gmiddle button%W   erase tiles
%Gright button%W    scroll toward the pointer, faster further out
%G  + Shift%W       scroll in whole tiles
%Gwheel%W           zoom out (down) or in (up) about the pointer
%WBrush %Y251%W (purple swatch) adds or removes tiles of the selected region.
%WObjects %Y216%W to %Y220%W cover up to 6 x 6 tiles; painting over one removes it.
%WHold %GAlt%W for the radar, the view in %Yyellow%W; click on it to go there.
#%YOstrel v0.2.4%W - page 2 of 4: %Gkeys
%GArrow keys%W       scroll a tile; with %GShift%W three quarters of a window
%GInsert%W           centre the view on the middle of the map
%GPage Up/Down%W     region list cursor up or down; with %GShift%W a page
%GF1%W               next help page
%GF2%W               show or hide the region list
%GF4%W               show or hide the tile palette
%GF6%W               show or hide the frame rate
%GCtrl + F1..F4%W    set bookmark 0 to 3 at the view centre
%GShift + F1..F4%W   go to bookmark 0 to 3
%GEsc%W              open the menu
%WEvery other key is typed into the console line at the bottom.
#%YOstrel v0.2.4%W - page 3 of 4: %Gthe menu%W (Esc)
%G1%W, %G2%W, %G4%W          zoom: 16, 8 or 4 pixels per tile
%GF1%W               next help page
%GF2%W               show or hide the region list
%GF3%W               show or hide the grid
%GF4%W               show or hide the tile palette
%GF5%W               show or hide the console
%GF6%W               show or hide the frame rate
%GPage Up/Down%W     fewer or more rows in the region list
%GQ%W                quit %x(unsaved edits are lost)
%GEsc%W              close the menu
#%YOstrel v0.2.4%W - page 4 of 4: %Gconsole commands
%G?go %b<file>%W               open a level file %x(unsaved edits are lost)
%G?save %b[<file>]%W           save the map, under a new name when one is given
%G?warpto %b<x> <y>%W          centre the view on a tile
%G?settile %b<tile>%W          hold tile value 0 to 255 as the brush
%G?locate%W                  show the view's sector and position
%G?insattr %b<key>=<value>%W   add or replace a map attribute
%G?rmattr %b<key>%W            remove a map attribute
%G?help%W                    a short help in the console
%G?quit%W, %G?exit%W, %G?shutdown%W  quit without saving
%WNumbers may be written in hex as %p0x1F%W. Other lines are shown as notes.
)";
}
