#!/usr/bin/env bash
# undo_session.sh - in the editor under Xvfb: erase a tile, paint a stroke, place an object
# and set an attribute; undo them with Ctrl+Z and "?undo" (a redo with Ctrl+Y in between);
# the map must then save byte for byte as it did untouched.
# Arguments: ostrel binary, level_inspect binary, run folder (graphics/), map.
set -uo pipefail
OSTREL=$1 INSPECT=$2 RUN_DIR=$3 MAP=$4
. "$(cd "$(dirname "$0")" && pwd)/xsession.sh"
x_require_tools cmp
x_require_map "$MAP"
x_workdir undo "$RUN_DIR"
cp "$MAP" in.lvl
q() { "$INSPECT" "$@" 2>/dev/null | tr '\n' ' '; }
read -r EX EY < <(q in.lvl find-tile)
[ -n "$EY" ] || fail "no plain tile found in $MAP"

x_launch "" in.lvl
x_type_line "?save untouched.lvl"
x_type_line "?warpto $EX $EY"
x_click_tile 2 0 0 # erase the plain tile at the view's centre
x_type_line "?settile 5"
x_drag_tiles 2 2 3 2 4 2
x_type_line "?settile 219"
x_click_tile 1 6 2 # a 6 x 6 object
x_type_line "?insattr NAME=x"
x_type_line "?save edited.lvl"
x_type_line "?undo"                          # the attribute
x_ctrl_key z; x_ctrl_key z                   # the object, the stroke
x_ctrl_key y; x_ctrl_key z; x_ctrl_key z     # the stroke again and back, the erase
x_type_line "?save out.lvl"
x_type_line "?quit"
x_quit_ok

got="$(q edited.lvl tile "$EX" "$EY" tile $((EX + 2)) $((EY + 2)) tile $((EX + 4)) $((EY + 2)) \
    tile $((EX + 6)) $((EY + 2)))$(info edited.lvl '.attributes[] | select(.[0] | ascii_downcase == "name") | .[1]')"
[ "$got" = "0 5 5 219 x" ] || fail "the edits were not made: $got"
cmp -s untouched.lvl out.lvl || fail "out.lvl differs from the save of the untouched map"
echo "PASS: undo session on $(basename "$MAP") (edits at $EX,$EY)"
