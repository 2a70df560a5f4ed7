#!/usr/bin/env bash
# tools_session.sh - the editing tools in the editor under Xvfb: draw an enclosure with
# "?rect" and "?line", select a piece with Shift + drag, copy it with Ctrl+C, paste it
# elsewhere with Ctrl+V and a click, flood-fill the enclosure with Ctrl+F, undo the fill with
# Ctrl+Z, save; the files must hold exactly the expected cells.
# Arguments: ostrel binary, level_inspect binary, run folder (graphics/).
set -uo pipefail
OSTREL=$1 INSPECT=$2 RUN_DIR=$3
. "$(cd "$(dirname "$0")" && pwd)/xsession.sh"
x_require_tools

x_workdir tools "$RUN_DIR"

# No such file: the editor starts on an empty map.
x_launch "" new.lvl
x_type_line "?warpto 100 100" # tile (100 + dx, 100 + dy) is x_tile_pointer dx dy
x_type_line "?settile 5"
x_type_line "?rect 96 96 104 104"
x_type_line "?settile 7"
x_type_line "?line 97 97 99 97"

# Select (96, 96) to (100, 98) with Shift + drag, copy, paste centred on (112, 97) so that it
# covers (110, 96) to (114, 98), end the paste.
xdotool keydown shift; sleep 0.12
x_drag_tiles -4 -4 -2 -3 0 -2
xdotool keyup shift; sleep 0.06
x_ctrl_key c
x_ctrl_key v
x_click_tile 1 12 -3
x_right_click_centre # ends the paste
x_right_click_centre # drops the selection, so the fill may leave it

# Flood-fill the enclosure's inside from (102, 102), save, undo the fill, save again.
x_type_line "?settile 9"
x_tile_pointer 2 2
x_ctrl_key f
x_type_line "?save filled.lvl"
x_ctrl_key z
x_type_line "?save out.lvl"
x_type_line "?quit"
x_quit_ok

for i in $(seq 96 104); do want[$i,96]=5; want[$i,104]=5; want[96,$i]=5; want[104,$i]=5; done
for x in 97 98 99; do want[$x,97]=7; done
for x in 110 111 112 113 114; do want[$x,96]=5; done
want[110,97]=5; want[111,97]=7; want[112,97]=7; want[113,97]=7; want[110,98]=5
x_expect_cells out.lvl
# Before the undo the enclosure's 46 empty cells held 9, and nothing else did.
for y in $(seq 97 103); do for x in $(seq 97 103); do [ -z "${want[$x,$y]:-}" ] && want[$x,$y]=9; done; done
x_expect_cells filled.lvl
echo "PASS: tools session (select, copy, paste, flood fill, undo, save)"
