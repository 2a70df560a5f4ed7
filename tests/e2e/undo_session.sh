#!/usr/bin/env bash
# undo_session.sh - in the real editor under Xvfb: erase a tile, paint a stroke and place an
# object, check they were saved, undo all three with Ctrl+Z (and an attribute with "?undo"),
# and check that the map then saves byte for byte as it did untouched.
# Arguments: ostrel binary, level_inspect binary, run folder (graphics/, Commands.hlp), map.
set -uo pipefail

OSTREL=$1 INSPECT=$2 RUN_DIR=$3 MAP=$4
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/xsession.sh"

x_require_tools cmp
if [ ! -f "$MAP" ]; then
    echo "SKIP: test map $MAP is not present"
    exit 77
fi

WORK=$(mktemp -d /tmp/ostrel-undo.XXXXXX)
EDITOR_PID=
cleanup() {
    [ -n "$EDITOR_PID" ] && kill "$EDITOR_PID" 2>/dev/null
    x_stop
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    echo "--- editor log"
    cat "$WORK/editor.log" 2>/dev/null
    exit 1
}

# Ctrl held across the press, as Shift is: modifiers are sampled once per input step.
x_ctrl_key() {
    xdotool keydown ctrl
    sleep 0.12
    xdotool key "$1"
    sleep 0.08
    xdotool keyup ctrl
    sleep 0.06
}

cp -r "$RUN_DIR/graphics" "$WORK/graphics"
cp "$RUN_DIR/Commands.hlp" "$WORK/" 2>/dev/null
cp "$MAP" "$WORK/in.lvl"
cd "$WORK" || exit 1

q() { "$INSPECT" "$@" 2>/dev/null; }
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
x_click_tile 2 0 0 # erase the plain tile
x_type_line "?settile 5"
x_tile_pointer 2 2
xdotool mousedown 1
sleep 0.15
x_tile_pointer 3 2
x_tile_pointer 4 2
xdotool mouseup 1
sleep 0.08
x_type_line "?settile 219"
x_click_tile 1 6 2 # a 6 x 6 object
x_type_line "?insattr NAME=x"
x_type_line "?save edited.lvl"

x_type_line "?undo" # the attribute
x_ctrl_key z        # the object
x_ctrl_key z        # the stroke
x_ctrl_key y        # the stroke again
x_ctrl_key z
x_ctrl_key z # the erase
x_type_line "?save out.lvl"
x_type_line "?quit"
x_wait_exit "$EDITOR_PID" || fail "the editor did not quit"
wait "$EDITOR_PID"
STATUS=$?
EDITOR_PID=

errors=0
check() {
    if [ "$2" != "$3" ]; then
        echo "MISMATCH: $1: want '$2', got '$3'"
        errors=$((errors + 1))
    fi
}
check "exit status" 0 "$STATUS"
for f in untouched.lvl edited.lvl out.lvl; do
    [ -f "$f" ] || fail "$f was not saved"
done
# The edits were made...
check "erased tile" 0 "$(q edited.lvl tile "$EX" "$EY")"
check "painted tiles" "5 5 5" "$(q edited.lvl tile $((EX + 2)) $((EY + 2)) tile $((EX + 3)) $((EY + 2)) \
    tile $((EX + 4)) $((EY + 2)) | tr '\n' ' ' | sed 's/ $//')"
check "object" 219 "$(q edited.lvl stamp $((EX + 11)) $((EY + 7)))"
check "attribute" x "$(q edited.lvl attr NAME)"
# ...and undone: the file equals the save of the untouched map.
cmp -s untouched.lvl out.lvl || { echo "MISMATCH: out.lvl differs from untouched.lvl"; errors=$((errors + 1)); }

[ "$errors" -eq 0 ] || fail "$errors mismatches"
echo "PASS: undo session on $(basename "$MAP") (edits at $EX,$EY)"
