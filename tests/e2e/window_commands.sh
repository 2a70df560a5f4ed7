#!/usr/bin/env bash
# window_commands.sh - resizes the editor's window under Xvfb, opens a second real map with
# "?go", paints at the new window's middle, saves with "?save" and quits with "?quit"; the
# saved file must be the second map plus the edit.
# Arguments: ostrel binary, level_inspect binary, run folder, first map, second map.
set -uo pipefail

OSTREL=$1 INSPECT=$2 RUN_DIR=$3 MAP1=$4 MAP2=$5
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/xsession.sh"

x_require_tools
for m in "$MAP1" "$MAP2"; do
    [ -f "$m" ] || { echo "SKIP: test map $m is not present"; exit 77; }
done

WORK=$(mktemp -d /tmp/ostrel-e2e.XXXXXX)
EDITOR_PID=
trap '[ -n "$EDITOR_PID" ] && kill "$EDITOR_PID" 2>/dev/null; x_stop; rm -rf "$WORK"' EXIT
fail() {
    echo "FAIL: $*"
    echo "--- editor log"
    grep -v '^D ' "$WORK/editor.log" 2>/dev/null
    exit 1
}

cp -r "$RUN_DIR/graphics" "$WORK/graphics"
cp "$RUN_DIR/Commands.hlp" "$WORK/" 2>/dev/null
cp "$MAP1" "$WORK/one.lvl"
cp "$MAP2" "$WORK/two.lvl"
cd "$WORK" || exit 1
q() { "$INSPECT" "$@" 2>/dev/null; }

read -r KX KY < <(q two.lvl find-tile)
[ -n "$KY" ] || fail "no plain tile in $MAP2"
KEPT=$(q two.lvl tile "$KX" "$KY")

x_start 1024x768
"$OSTREL" -w640 -h480 one.lvl 2>"$WORK/editor.log" &
EDITOR_PID=$!
x_find_window || fail "no window"
sleep 0.3

# The resize reaches the editor as SDL's resize event; the view is laid out anew.
xdotool windowsize "$X_WIN" 800 600
sleep 0.5
GEOMETRY=$(xdotool getwindowgeometry "$X_WIN" | grep -o '[0-9]*x[0-9]*')
[ "$GEOMETRY" = 800x600 ] || fail "window is $GEOMETRY after the resize"
X_W=800 X_H=600

x_type_line "?go two.lvl"
x_type_line "?warpto 600 600"
x_type_line "?settile 7"
x_click_tile 1 1 1
x_type_line "?save three.lvl"
x_type_line "?quit"
x_wait_exit "$EDITOR_PID" || fail "the editor did not quit on ?quit"
wait "$EDITOR_PID"
STATUS=$?
EDITOR_PID=

[ "$STATUS" -eq 0 ] || fail "exit status $STATUS"
[ -f three.lvl ] || fail "three.lvl was not saved"
errors=0
check() {
    if [ "$2" != "$3" ]; then
        echo "MISMATCH: $1: want '$2', got '$3'"
        errors=$((errors + 1))
    fi
}
check "painted tile" 7 "$(q three.lvl tile 601 601)"
check "tile of the second map" "$KEPT" "$(q three.lvl tile "$KX" "$KY")"
check "regions of the second map" "$(q two.lvl regions)" "$(q three.lvl regions)"
check "attribute PROGRAM" "ostrel 0.2.4" "$(q three.lvl attr PROGRAM)"
[ "$errors" -eq 0 ] || fail "$errors mismatches"
echo "PASS: resize, ?go, paint, ?save and ?quit"
