#!/usr/bin/env bash
# mouse_tools_session.sh - a new user's session under Xvfb: a rectangle and a line drawn with
# the mouse tools, a piece with a hole pasted over a tile (the tile stays), a "?new" map with
# one cell and a bookmark saved, then a restart that finds the brush and the bookmark kept.
# Arguments: ostrel binary, level_inspect binary, run folder (graphics/).
set -uo pipefail
OSTREL=$1 INSPECT=$2 RUN_DIR=$3
. "$(cd "$(dirname "$0")" && pwd)/xsession.sh"
x_require_tools

x_workdir mousetools "$RUN_DIR"

x_launch ""
x_type_line "?warpto 100 100" # tile (100 + dx, 100 + dy) is x_tile_pointer dx dy
x_type_line "?settile 5"
x_key r
x_drag_tiles -4 -4 -2 -2 0 0 # rectangle (96, 96) to (100, 100)
x_key l
x_type_line "?settile 7"
x_drag_tiles 2 -4 4 -4 6 -4 # line (102, 96) to (106, 96)
# A tile where the hole of the pasted piece will fall.
x_key b
x_type_line "?settile 9"
x_click_tile 1 10 10
# Select the rectangle with the select tool, copy it, paste it centred on (110, 110).
x_key s
x_drag_tiles -4 -4 0 0
x_ctrl_key c
x_ctrl_key v
x_click_tile 1 10 10
x_right_click_centre # ends the paste
x_right_click_centre # drops the selection
x_key b
x_type_line "?save first.lvl"

# A fresh map: one cell and a bookmark, saved under a name.
x_type_line "?new"
x_key Escape
x_key 1
x_type_line "?warpto 300 300"
x_type_line "?settile 3"
x_click_tile 1 1 1
x_ctrl_key F1
x_type_line "?save second.lvl"
x_type_line "?quit"
x_quit_ok

for i in $(seq 96 100); do want[$i,96]=5; want[$i,100]=5; want[96,$i]=5; want[100,$i]=5; done
for x in $(seq 102 106); do want[$x,96]=7; done
for i in $(seq 108 112); do want[$i,108]=5; want[$i,112]=5; want[108,$i]=5; want[112,$i]=5; done
want[110,110]=9
x_expect_cells first.lvl
want=([301,301]=3)
x_expect_cells second.lvl

# Restarted: the brush (3) and bookmark 0 (the view at tile (300, 300)) are kept.
x_stop
x_launch "" second.lvl
x_type_line "?warpto 700 700"
x_shift_key F1
x_click_tile 1 2 2
x_type_line "?save third.lvl"
x_type_line "?quit"
x_quit_ok
want[302,302]=3
x_expect_cells third.lvl
echo "PASS: mouse tools, paste over a tile, ?new, settings and bookmarks kept"
