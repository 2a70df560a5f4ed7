#!/usr/bin/env bash
# edit_session.sh - opens a real map in the editor under Xvfb, edits it with the mouse and
# the console, saves it under a new name, quits with Escape and q, and reads the file back.
# Arguments: ostrel binary, level_inspect binary, run folder (graphics/, Commands.hlp), map.
set -uo pipefail

OSTREL=$1 INSPECT=$2 RUN_DIR=$3 MAP=$4
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/xsession.sh"

x_require_tools import convert
if [ ! -f "$MAP" ]; then
    echo "SKIP: test map $MAP is not present"
    exit 77
fi

WORK=$(mktemp -d /tmp/ostrel-e2e.XXXXXX)
EDITOR_PID=
cleanup() {
    # OSTREL_E2E_KEEP names a folder that receives the screenshot, the log and the saved map.
    [ -n "${OSTREL_E2E_KEEP:-}" ] && mkdir -p "$OSTREL_E2E_KEEP" &&
        cp "$WORK"/shot.png "$WORK"/editor.log "$WORK"/out.lvl "$OSTREL_E2E_KEEP"/ 2>/dev/null
    [ -n "$EDITOR_PID" ] && kill "$EDITOR_PID" 2>/dev/null
    x_stop
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    echo "display $DISPLAY, X server $(kill -0 "${X_PID:-0}" 2>/dev/null && echo running || echo gone)"
    echo "--- editor log"
    cat "$WORK/editor.log" 2>/dev/null
    exit 1
}

# The editor runs in a folder of its own so that saving and the tileset copy stay there.
cp -r "$RUN_DIR/graphics" "$WORK/graphics"
cp "$RUN_DIR/Commands.hlp" "$WORK/" 2>/dev/null
cp "$MAP" "$WORK/in.lvl"
cd "$WORK" || exit 1

q() { "$INSPECT" "$@" 2>/dev/null; }

# A plain tile to erase, and the region the list shows first.
read -r EX EY < <(q in.lvl find-tile)
[ -n "$EY" ] || fail "no plain tile found in $MAP"
REGION=$(q in.lvl first-region)
[ -n "$REGION" ] || fail "no listed region in $MAP"
WAS_IN=$(q in.lvl in-region "$REGION" $((EX + 2)) $((EY + 5)))
ORIG_REGIONS=$(q in.lvl regions)
ORIG_CHUNKS=$(q in.lvl chunks)

X_W=640 X_H=480
x_start "${X_W}x${X_H}"
"$OSTREL" -w$X_W -h$X_H in.lvl 2>"$WORK/editor.log" &
EDITOR_PID=$!
x_find_window || fail "no window"
sleep 0.3

# Centre the view on the plain tile: it then sits at the window's middle.
x_type_line "?warpto $EX $EY"
x_click_tile 2 0 0

# Paint a row of three by dragging with the left button.
x_type_line "?settile 5"
x_tile_pointer 2 2
xdotool mousedown 1; sleep 0.15
x_tile_pointer 3 2
x_tile_pointer 4 2
xdotool mouseup 1; sleep 0.08

# Place a 2 x 2 object.
x_type_line "?settile 217"
x_click_tile 1 7 2

# Select the first region in the list and toggle one cell with the region brush.
x_key F2
x_key Next
x_type_line "?settile 251"
x_click_tile 1 2 5

x_type_line "?insattr NAME=x"
x_type_line "?save out.lvl"
sleep 0.3

import -window "$X_WIN" "$WORK/shot.png" 2>/dev/null || fail "no screenshot"
COLOURS=$(convert "$WORK/shot.png" -format %k info:)
SIZE=$(convert "$WORK/shot.png" -format %wx%h info:)

x_key Escape
x_key q
x_wait_exit "$EDITOR_PID" || fail "the editor did not quit on Escape, q"
wait "$EDITOR_PID"
STATUS=$?
EDITOR_PID=

errors=0
check() {
    local what=$1 want=$2 got=$3
    if [ "$want" != "$got" ]; then
        echo "MISMATCH: $what: want '$want', got '$got'"
        errors=$((errors + 1))
    fi
}

check "exit status" 0 "$STATUS"
grep -q 'exiting: esc + q' editor.log || { echo "MISMATCH: no esc + q exit line"; errors=$((errors + 1)); }
[ -f out.lvl ] || fail "out.lvl was not saved"
check "screenshot size" "${X_W}x${X_H}" "$SIZE"
[ "${COLOURS:-0}" -ge 8 ] || { echo "MISMATCH: screenshot has only $COLOURS colours"; errors=$((errors + 1)); }
check "erased tile" 0 "$(q out.lvl tile "$EX" "$EY")"
for dx in 2 3 4; do
    check "painted tile +$dx" 5 "$(q out.lvl tile $((EX + dx)) $((EY + 2)))"
done
check "object anchor" 217 "$(q out.lvl tile $((EX + 7)) $((EY + 2)))"
check "object cover" 217 "$(q out.lvl stamp $((EX + 8)) $((EY + 3)))"
check "region cell toggled" $((1 - WAS_IN)) "$(q out.lvl in-region "$REGION" $((EX + 2)) $((EY + 5)))"
check "attribute NAME" x "$(q out.lvl attr NAME)"
check "attribute PROGRAM" "ostrel 0.2.4" "$(q out.lvl attr PROGRAM)"
check "regions kept" "$ORIG_REGIONS" "$(q out.lvl regions)"
check "other chunks kept" "$ORIG_CHUNKS" "$(q out.lvl chunks)"

if [ "$errors" -ne 0 ]; then
    echo "--- editor log"
    cat editor.log
    exit 1
fi
echo "PASS: edit session on $(basename "$MAP") (erase at $EX,$EY, region '$REGION')"
