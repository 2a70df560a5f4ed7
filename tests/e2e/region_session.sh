#!/usr/bin/env bash
# region_session.sh - makes a region in the editor under Xvfb: creates it, paints three cells
# into it with the region brush, sets base, autowarp and colour, renames it and saves; the file
# read back has the region with those cells and sub-chunks and the other regions unchanged.
# Arguments: ostrel binary, level_inspect binary, run folder (graphics/), map.
set -uo pipefail
OSTREL=$1 INSPECT=$2 RUN_DIR=$3 MAP=$4
. "$(cd "$(dirname "$0")" && pwd)/xsession.sh"
x_require_tools
x_require_map "$MAP"
x_workdir region "$RUN_DIR"
cp "$MAP" in.lvl
read -r EX EY < <(q in.lvl find-tile)
[ -n "$EY" ] || fail "no plain tile found in $MAP"
OTHERS='[.regions[] | select(.name != "Pad")]'
ORIG_COUNT=$(info in.lvl '.regions | length')
ORIG_OTHERS=$(info in.lvl "$OTHERS")

x_launch "" in.lvl
x_type_line "?warpto $EX $EY"
x_type_line "?region new Landing"
x_type_line "?settile 251"
for dx in 0 1 2; do x_click_tile 1 "$dx" 0; done
x_type_line "?region base on"
x_type_line "?region autowarp 100 200 duel"
x_type_line "?region colour 80ff10"
x_type_line "?region rename Pad"
x_type_line "?save out.lvl"
sleep 0.3
x_type_line "?quit"
x_quit_ok

[ -f out.lvl ] || fail "out.lvl was not saved"
# The flags, the autowarp (x, y, a 16-byte arena name) and the colour as sub-chunks.
check "new region" "3 [$EX,$EY,$((EX + 2)),$EY] [\"rBSE\",\"rAWP\",\"rCOL\"] [0,20,4]" \
    "$(info out.lvl '.regions[] | select(.name == "Pad") | "\(.cells) \(.bbox) \(.subchunks) \(.subchunk_bytes)"')"
check "old name gone" "" "$(info out.lvl '.regions[] | select(.name == "Landing") | .name')"
check "region count" $((ORIG_COUNT + 1)) "$(info out.lvl '.regions | length')"
check "other regions" "$ORIG_OTHERS" "$(info out.lvl "$OTHERS")"
[ "$errors" -eq 0 ] || fail "$errors mismatches"
echo "PASS: region session on $(basename "$MAP") (cells from $EX,$EY)"
