#!/usr/bin/env bash
# editor_budgets.sh - measures the editor's two interactive budgets under Xvfb on a real map:
# the CPU share of an idle editor over 10 seconds (/usr/bin/time), and the time from start to
# the first presented frame (the editor's own "D" log line, and the wall time until it).
# Usage: bench/editor_budgets.sh [build folder] [level file]
set -uo pipefail

BUILD=${1:-build}
MAP=${2:-$(cd "$(dirname "$0")/.." && pwd)/../shared/testdata/lvl/duelpub.lvl}
RUN_DIR=$(cd "$BUILD/run" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/../tests/e2e/xsession.sh"
x_require_tools /usr/bin/time
[ -f "$MAP" ] || { echo "no map at $MAP"; exit 1; }
MAP=$(cd "$(dirname "$MAP")" && pwd)/$(basename "$MAP")

WORK=$(mktemp -d /tmp/ostrel-budget.XXXXXX)
trap 'x_stop; rm -rf "$WORK"' EXIT
cp -r "$RUN_DIR/graphics" "$WORK/"
cd "$WORK" || exit 1
x_start 640x480

# First frame: five starts, each stopped once the frame line is logged.
echo "start to first presented frame (640 x 480, $(basename "$MAP")):"
for run in 1 2 3 4 5; do
    start=$(date +%s%N)
    log="$WORK/first-$run.log"
    "$RUN_DIR/ostrel" -w640 -h480 "$MAP" 2>"$log" &
    pid=$!
    for i in $(seq 1 400); do
        grep -q 'first frame presented [0-9]* ms' "$log" 2>/dev/null && break
        sleep 0.005
    done
    wall=$((($(date +%s%N) - start) / 1000000))
    own=$(grep -o 'first frame presented [0-9]* ms' "$log" | grep -o '[0-9]*')
    echo "  run $run: ${own:-?} ms inside the editor, ${wall} ms wall from exec to the log line"
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
done

# Idle: the editor runs 10 seconds untouched, then a quit arrives through its window.
"/usr/bin/time" -f '%U %S %e' -o "$WORK/time.txt" "$RUN_DIR/ostrel" -w640 -h480 "$MAP" 2>/dev/null &
pid=$!
sleep 10
x_find_window >/dev/null && xdotool key --window "$X_WIN" Escape 2>/dev/null
sleep 0.2
xdotool key q 2>/dev/null
for i in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
read -r user sys elapsed <"$WORK/time.txt"
echo "idle editor: user ${user} s + system ${sys} s over ${elapsed} s wall" \
     "= $(awk -v u="$user" -v s="$sys" -v e="$elapsed" 'BEGIN { printf "%.2f", 100 * (u + s) / e }') % of one core"
