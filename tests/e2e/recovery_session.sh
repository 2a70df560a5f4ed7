#!/usr/bin/env bash
# recovery_session.sh - three strokes and "?insattr", a second's wait and kill -9: the next
# start offers the work, "?recover" and "?save" put it in the file. After a clean save and
# kill -9, nothing is offered.
# Arguments: ostrel binary, level_inspect binary, run folder, map.
set -uo pipefail

OSTREL=$1 INSPECT=$2 RUN=$3 MAP=$4
. "$(cd "$(dirname "$0")" && pwd)/xsession.sh"

x_require_tools
x_require_map "$MAP"
x_workdir recovery "$RUN"
cp "$MAP" map.lvl
BEFORE=$(q map.lvl tile 601 601)

killed() {
    sleep 1.2
    kill -9 "$EDITOR_PID"
    wait "$EDITOR_PID" 2>/dev/null
    EDITOR_PID=
    x_stop
}

x_launch "" map.lvl
x_type_line "?warpto 600 600"
x_type_line "?settile 7"
x_drag_tiles 1 1 2 1 3 1
x_drag_tiles 1 2 2 2 3 2
x_drag_tiles 1 3 2 3 3 3
x_type_line "?insattr KEY=journal"
killed
check "file untouched by the killed editor" "$BEFORE" "$(q map.lvl tile 601 601)"

x_launch "" map.lvl
grep -q "unsaved work from .* (4 steps) found: ?recover restores it, ?discard drops it" \
    "$WORK/editor.log" || fail "no offer of the unsaved work"
x_type_line "?recover"
x_type_line "?save"
sleep 0.3
x_type_line "?quit"
x_quit_ok
x_stop
for y in 601 602 603; do
    for x in 601 602 603; do check "tile $x $y" 7 "$(q map.lvl tile $x $y)"; done
done
check "attribute" "journal" "$(info map.lvl '.attributes[] | select(.[0] == "KEY") | .[1]')"
check "journals left after a clean quit" "" "$(ls -A "$WORK/state/ostrel/recovery")"

x_launch "" map.lvl
x_type_line "?warpto 600 600"
x_click_tile 1 5 5
x_type_line "?save"
killed
x_launch "" map.lvl
x_type_line "?quit"
x_quit_ok
x_stop
grep -q "unsaved work" "$WORK/editor.log" && fail "work offered after a clean save"
[ "$errors" -eq 0 ] || fail "$errors mismatches"
echo "PASS: killed work offered and recovered into the saved file; nothing offered after a save"
