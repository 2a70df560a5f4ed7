#!/usr/bin/env bash
# view_session.sh - moves around a map in the editor under Xvfb: the opening view, wheel zoom
# about a known cell, clicks on an open help page and on the radar (which must not paint),
# arrow keys to a known cell, and painting there; then the saved map must hold exactly the
# cells painted. Arguments: ostrel binary, level_inspect binary, run folder.
set -uo pipefail

OSTREL=$1 INSPECT=$2 RUN_DIR=$3
. "$(cd "$(dirname "$0")" && pwd)/xsession.sh"
x_require_tools

x_workdir view "$RUN_DIR"

# Window pixels; the pointer rests a moment so that the 10 ms input steps see it.
point() { xdotool mousemove --window "$X_WIN" "$1" "$2" && sleep 0.12; }
click() { point "$1" "$2" && xdotool mousedown 1 && sleep 0.15 && xdotool mouseup 1 && sleep 0.1; }
wheel() { xdotool click "$1" && sleep 0.15; }

# No file: an empty map, seen from its middle.
x_launch ""
x_type_line "?settile 77"
x_type_line "?warpto 0 0"
click 324 244 # just below and right of the window's middle: cell (0, 0)

# Centre (512, 512): the cell at window (100, 80) is (498, 502) at zoom 1.
x_type_line "?warpto 512 512"
point 100 80
wheel 5        # zoom 2 about the pointer: (498, 502) stays under it
click 100 80
point 100 80
wheel 5        # zoom 4: 4-pixel cells, so 4 pixels right is (499, 502)
click 104 80
point 100 80
wheel 4
wheel 4        # back to zoom 1: 32 pixels right of the pointer is (500, 502)
click 132 80

# Clicks on the open help page and on the radar reach no cell of the map.
x_key F1
click 20 20
x_key F2
x_key F2
xdotool keydown alt
sleep 0.12
click $((X_W - 258 + 100)) $((X_H - 258 + 50)) # radar pixel (100, 50): cells 400..403, 200..203
xdotool keyup alt
sleep 0.1

# From centre (402, 202): three right, two down, and Shift+Left 30 cells back.
for key in Right Right Right Down Down; do x_key "$key"; done
x_shift_key Left
click 328 248 # the cell at the window's middle: (375, 204)

x_type_line "?save out.lvl"
sleep 0.3
x_key Escape
x_key q
x_quit_ok

[ -f out.lvl ] || fail "out.lvl was not saved"
WANT="0,0=77 375,204=77 498,502=77 499,502=77 500,502=77"
GOT=$("$INSPECT" out.lvl cells 2>/dev/null | sed 's/ *$//')
[ "$GOT" = "$WANT" ] || fail "painted cells: want '$WANT', got '$GOT'"
echo "PASS: view session"
