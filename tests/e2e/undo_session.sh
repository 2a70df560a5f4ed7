#!/usr/bin/env bash
# undo_session.sh - in the editor under Xvfb: erase a tile, paint a stroke, place an object
# and set an attribute; undo them with Ctrl+Z and "?undo" (a redo with Ctrl+Y in between);
# the map must then save byte for byte as it did untouched.
# Arguments: ostrel binary, level_inspect binary, run folder (graphics/, Commands.hlp), map.
set -uo pipefail
OSTREL=$1 INSPECT=$2 RUN_DIR=$3 MAP=$4
. "$(cd "$(dirname "$0")" && pwd)/xsession.sh"
x_require_tools cmp
[ -f "$MAP" ] || { echo "SKIP: test map $MAP is not present"; exit 77; }

WORK=$(mktemp -d /tmp/ostrel-undo.XXXXXX)
EDITOR_PID=
trap '[ -n "$EDITOR_PID" ] && kill "$EDITOR_PID" 2>/dev/null; x_stop; rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*"; cat "$WORK/editor.log" 2>/dev/null; exit 1; }
# Ctrl held across the press, as Shift is: modifiers are sampled once per input step.
x_ctrl_key() {
    xdotool keydown ctrl; sleep 0.12
    xdotool key "$1"; sleep 0.08
    xdotool keyup ctrl; sleep 0.06
}

cp -r "$RUN_DIR/graphics" "$RUN_DIR/Commands.hlp" "$WORK/" 2>/dev/null
cp "$MAP" "$WORK/in.lvl"
cd "$WORK" || exit 1
q() { "$INSPECT" "$@" 2>/dev/null | tr '\n' ' '; }
read -r EX EY < <(q in.lvl find-tile)
[ -n "$EY" ] || fail "no plain tile found in $MAP"

X_W=640 X_H=480
x_start "${X_W}x${X_H}"
"$OSTREL" -w$X_W -h$X_H in.lvl 2>"$WORK/editor.log" &
EDITOR_PID=$!
x_find_window || fail "no window"
sleep 0.3
x_type_line "?save untouched.lvl"
x_type_line "?warpto $EX $EY"
x_click_tile 2 0 0 # erase the plain tile at the view's centre
x_type_line "?settile 5"
x_tile_pointer 2 2
xdotool mousedown 1; sleep 0.15
x_tile_pointer 3 2
x_tile_pointer 4 2
xdotool mouseup 1; sleep 0.08
x_type_line "?settile 219"
x_click_tile 1 6 2 # a 6 x 6 object
x_type_line "?insattr NAME=x"
x_type_line "?save edited.lvl"
x_type_line "?undo"                          # the attribute
x_ctrl_key z; x_ctrl_key z                   # the object, the stroke
x_ctrl_key y; x_ctrl_key z; x_ctrl_key z     # the stroke again and back, the erase
x_type_line "?save out.lvl"
x_type_line "?quit"
x_wait_exit "$EDITOR_PID" || fail "the editor did not quit"
wait "$EDITOR_PID" || fail "exit status $?"
EDITOR_PID=

got=$(q edited.lvl tile "$EX" "$EY" tile $((EX + 2)) $((EY + 2)) tile $((EX + 4)) $((EY + 2)) \
    stamp $((EX + 11)) $((EY + 7)) attr NAME)
[ "$got" = "0 5 5 219 x " ] || fail "the edits were not made: $got"
cmp -s untouched.lvl out.lvl || fail "out.lvl differs from the save of the untouched map"
echo "PASS: undo session on $(basename "$MAP") (edits at $EX,$EY)"
