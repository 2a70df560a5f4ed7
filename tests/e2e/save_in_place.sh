#!/usr/bin/env bash
# save_in_place.sh - opens a real map from a long absolute path in a folder without graphics,
# edits it, saves it with a plain "?save" and checks that the very file holds the edit. Then a
# second edit makes "?quit" ask once before it drops the change.
# Arguments: ostrel binary, level_inspect binary, map.
set -uo pipefail

OSTREL=$1 INSPECT=$2 MAP=$3
. "$(cd "$(dirname "$0")" && pwd)/xsession.sh"

x_require_tools
x_require_map "$MAP"
x_workdir e2e

# Far longer than the 31 characters of the map's label.
DEEP="$WORK/someone/maps-of-the-zone/league/duel"
mkdir -p "$DEEP"
TARGET="$DEEP/current.lvl"
cp "$MAP" "$TARGET"
# No graphics/ here: the editor finds its own next to the executable.

read -r KX KY < <(q "$TARGET" find-tile)
[ -n "$KY" ] || fail "no plain tile in $MAP"
KEPT=$(q "$TARGET" tile "$KX" "$KY")

x_launch "" "$TARGET"

x_type_line "?warpto 600 600"
x_type_line "?settile 7"
x_click_tile 1 1 1
x_type_line "?save"
sleep 0.3

# A second edit is not saved: the first "?quit" only warns, the second quits.
x_click_tile 1 2 1
x_type_line "?quit"
sleep 0.5
kill -0 "$EDITOR_PID" 2>/dev/null || fail "the editor quit with unsaved changes at once"
x_type_line "?quit"
x_quit_ok

check "saved edit in the opened file" 7 "$(q "$TARGET" tile 601 601)"
check "unsaved edit" 0 "$(q "$TARGET" tile 602 601)"
check "tile of the map" "$KEPT" "$(q "$TARGET" tile "$KX" "$KY")"
check "files in the start folder" "config editor.log someone state" "$(ls "$WORK" | xargs)"
check "files in the map's folder" "current.lvl" "$(ls -A "$DEEP" | xargs)"
[ "$errors" -eq 0 ] || fail "$errors mismatches"
echo "PASS: opened from a long path, edited, saved in place, asked before dropping an edit"
