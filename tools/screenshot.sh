#!/usr/bin/env bash
# screenshot.sh - makes the README screenshot: the demonstration map (drawn in code with the
# built-in tileset) in the editor under Xvfb, with the region list, a selected region, the
# palette and a few console lines. Arguments: build folder, output PNG.
set -euo pipefail

BUILD=$(cd "$1" && pwd)
OUT=$2
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/../tests/e2e/xsession.sh"
x_require_tools import

WORK=$(mktemp -d /tmp/ostrel-shot.XXXXXX)
EDITOR_PID=
trap '[ -n "$EDITOR_PID" ] && kill "$EDITOR_PID" 2>/dev/null; x_stop; rm -rf "$WORK"' EXIT
cp -r "$BUILD/run/graphics" "$WORK/"
OUT_ABS=$(cd "$(dirname "$OUT")" && pwd)/$(basename "$OUT")
cd "$WORK"
"$BUILD/tools/demo_map" demo.lvl 2>/dev/null

X_W=800 X_H=600
x_start "${X_W}x${X_H}"
"$BUILD/run/ostrel" -w$X_W -h$X_H demo.lvl 2>editor.log &
EDITOR_PID=$!
x_find_window
sleep 0.3
x_type_line "?warpto 514 514"
x_key F2
x_key Next
x_key F4
x_type_line "?region colour 30A0FF"
x_type_line "?insattr AUTHOR=ostrel"
x_type_line "?settile 219"
x_type_line "?locate"
x_tile_pointer -2 -5
sleep 0.4
import -window "$X_WIN" "$OUT_ABS"
# The attribute left unsaved changes: the first quit only warns, the second goes ahead.
x_key Escape
x_key q
x_key Escape
x_key q
wait "$EDITOR_PID" || true
EDITOR_PID=
echo "screenshot written to $OUT"
