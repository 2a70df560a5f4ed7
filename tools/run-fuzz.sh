#!/usr/bin/env bash
# Runs each libFuzzer target for a while, from a scratch copy of its seed corpus.
set -euo pipefail
build=$1
seconds=${2:-60}
# An input that takes longer than this fails the run: every open must be quick.
timeout=${FUZZ_TIMEOUT:-10}
root=$(cd "$(dirname "$0")/.." && pwd)
shopt -s nullglob
targets=("$build"/fuzz/fuzz_*)
[ ${#targets[@]} -eq 0 ] && { echo "ostrel: no fuzz targets built"; exit 0; }
for t in "${targets[@]}"; do
    [ -x "$t" ] || continue
    name=$(basename "$t")
    work="$build/corpus-$name"
    mkdir -p "$work"
    seeds=("$root"/fuzz/corpus/"$name")
    [ -d "$root/../shared/testdata/lvl" ] && seeds+=("$root/../shared/testdata/lvl")
    echo "ostrel: fuzzing $name for ${seconds}s"
    log="$build/$name.log"
    if ! "$t" -max_total_time="$seconds" -max_len=300000 -timeout="$timeout" -rss_limit_mb=2048 -print_final_stats=1 \
        "$work" "${seeds[@]}" >"$log" 2>&1; then
        tail -n 40 "$log"
        echo "ostrel: $name found a failure"
        exit 1
    fi
    grep -E 'stat::number_of_executed_units' "$log" || true
done
