#!/usr/bin/env bash
# session.sh - one editor session under Xvfb on real maps: place an object, toggle a region
# cell, add an attribute and save; then resize the window, open a
# second map with "?go", paint and save again, and quit with Escape, q. Both files are read back.
# Arguments: ostrel binary, level_inspect binary, run folder, first map, second map.
set -uo pipefail

OSTREL=$1 INSPECT=$2 RUN_DIR=$3 MAP1=$4 MAP2=$5
. "$(cd "$(dirname "$0")" && pwd)/xsession.sh"

x_require_tools
x_require_map "$MAP1"
x_require_map "$MAP2"
x_workdir e2e "$RUN_DIR"
cp "$MAP1" one.lvl
cp "$MAP2" two.lvl

# A plain tile to erase, the region the list shows first, a plain tile of the second map.
read -r EX EY < <(q one.lvl find-tile)
REGION=$(info one.lvl '.regions[0].name')
read -r KX KY < <(q two.lvl find-tile)
[ -n "$EY" ] && [ -n "$REGION" ] && [ -n "$KY" ] || fail "the maps lack a plain tile or a region"
WAS_IN=$(q one.lvl in-region "$REGION" $((EX + 2)) $((EY + 5)))

x_launch 1024x768 one.lvl

# Centre the view on the plain tile (it then sits at the window's middle) and place a 2 x 2
# object near it (erasing and dragging a stroke are in undo_session.sh).
x_type_line "?warpto $EX $EY"
x_type_line "?settile 217"
x_click_tile 1 7 2
# Select the first region in the list and toggle one cell with the region brush.
x_key F2
x_key Next
x_type_line "?settile 251"
x_click_tile 1 2 5
x_type_line "?insattr NAME=x"
x_type_line "?save out.lvl"

# The resize reaches the editor as SDL's resize event; the view is laid out anew.
xdotool windowsize "$X_WIN" 800 600
sleep 0.5
GEOMETRY=$(xdotool getwindowgeometry "$X_WIN" | grep -o '[0-9]*x[0-9]*')
[ "$GEOMETRY" = 800x600 ] || fail "window is $GEOMETRY after the resize"
X_W=800 X_H=600
x_type_line "?go two.lvl"
x_key Escape # the map opens at the zoom that shows its content: back to zoom 1
x_key 1
x_type_line "?warpto 600 600"
x_type_line "?settile 7"
x_click_tile 1 1 1
x_type_line "?save three.lvl"
x_key Escape
x_key q
x_quit_ok

check "object anchor" 217 "$(q out.lvl tile $((EX + 7)) $((EY + 2)))"
check "object cover" 250 "$(q out.lvl tile $((EX + 8)) $((EY + 3)))"
check "region cell toggled" $((1 - WAS_IN)) "$(q out.lvl in-region "$REGION" $((EX + 2)) $((EY + 5)))"
check "attributes NAME, PROGRAM" "x|ostrel 0.2.4" \
    "$(info out.lvl '[.attributes[] | select(.[0] | ascii_downcase | IN("name", "program")) | .[1]] | join("|")')"
KEPT='[(.regions | length), .kept_chunks]'
check "regions and other chunks kept" "$(info one.lvl "$KEPT")" "$(info out.lvl "$KEPT")"
check "painted after the resize" 7 "$(q three.lvl tile 601 601)"
check "tile of the second map" "$(q two.lvl tile "$KX" "$KY")" "$(q three.lvl tile "$KX" "$KY")"
check "regions of the second map" "$(info two.lvl "$KEPT")" "$(info three.lvl "$KEPT")"
[ "$errors" -eq 0 ] || fail "$errors mismatches"
echo "PASS: edit, save, resize, ?go, save, Escape q on $(basename "$MAP1") and $(basename "$MAP2")"
