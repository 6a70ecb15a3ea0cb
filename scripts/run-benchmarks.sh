#!/bin/sh
# Runs every benchmark program in the given directory.
set -eu
dir=${1:-build/default/bin}
for b in "$dir"/*_bench; do
    [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    "$b" --benchmark_min_time=0.2
done
