#!/usr/bin/env bash
# events_session.sh - input faster than the editor's 10 ms input step, under Xvfb: ten instant
# clicks on ten cells paint all ten, a tap on the palette picks its tile, and commands typed
# fast (x_type_line: "?", capitals) run as typed.
# Arguments: ostrel binary, level_inspect binary, run folder (graphics/).
set -uo pipefail
OSTREL=$1 INSPECT=$2 RUN_DIR=$3
. "$(cd "$(dirname "$0")" && pwd)/xsession.sh"
x_require_tools

x_workdir events "$RUN_DIR"
# The window pixel at the middle of tile (100 + dx, 100 + dy) once the view is at (100, 100).
px() { echo $((X_W / 2 + 16 * $1 + 8)) $((X_H / 2 + 16 * $2 + 8)); }

x_launch ""
x_type_line "?warpto 100 100"
x_type_line "?settile 5"
# Ten clicks in one burst: each a press and release with no time between.
burst=()
for dx in $(seq -5 4); do
    burst+=(mousemove --window "$X_WIN" $(px "$dx" $((dx % 3))) click 1)
done
xdotool "${burst[@]}"
sleep 0.2
# A tap on the palette's last cell (tile 190), then a click on the map paints it.
x_key F4
xdotool mousemove --window "$X_WIN" $((X_W - 10)) $((X_H - 16)) click 1 \
    mousemove --window "$X_WIN" $(px 0 -3) click 1
sleep 0.2
x_type_line "?save TenCells.lvl"
x_type_line "?quit"
x_quit_ok

want=([100,97]=190)
for dx in $(seq -5 4); do want[$((100 + dx)),$((100 + dx % 3))]=5; done
x_expect_cells TenCells.lvl # not saved: the typed ?save did not run
echo "PASS: ten instant clicks, a palette tap and fast typing"
