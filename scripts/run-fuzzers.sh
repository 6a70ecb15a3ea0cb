#!/bin/sh
# Runs every *_fuzz program in a directory for N seconds each, starting from its
# seeds in fuzz/corpus/<program>/ (e.g. fuzz/corpus/charset_fuzz/). The seeds are
# copied to a scratch directory first, so the committed corpus is never written.
# Prints each program's executions; exits non-zero if any program crashes, leaks,
# hangs or runs out of memory, keeping its log and crash input under the scratch
# directory (printed). FUZZ_WORK chooses where the scratch directory is made.
#
#   scripts/run-fuzzers.sh [bin-dir] [seconds]
set -eu
dir=${1:-build/fuzz/bin}
seconds=${2:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
work_root=${FUZZ_WORK:-${TMPDIR:-/tmp}}
mkdir -p "$work_root"
scratch=$(mktemp -d "$work_root/qinghe-fuzz.XXXXXX")

status=0
found=0
for f in "$dir"/*_fuzz; do
    [ -x "$f" ] || continue
    found=$((found + 1))
    name=$(basename "$f")
    corpus="$scratch/$name/corpus"
    artifacts="$scratch/$name/artifacts"
    log="$scratch/$name/log"
    mkdir -p "$corpus" "$artifacts"
    if [ -d "$root/fuzz/corpus/$name" ]; then
        cp -R "$root/fuzz/corpus/$name/." "$corpus/"
    else
        echo "$name: no seeds in fuzz/corpus/$name, starting empty"
    fi
    # -timeout: one input running longer than this counts as a hang.
    if "$f" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1; then
        execs=$(awk '/stat::number_of_executed_units:/ {n = $2} END {print n}' "$log")
        [ -n "$execs" ] || execs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log" | tail -n 1)
        echo "$name: ${execs:-?} executions in ${seconds} s"
        rm -rf "${scratch:?}/$name"
    else
        echo "$name: FAILED (exit $?)"
        tail -n 40 "$log"
        echo "$name: log $log"
        for a in "$artifacts"/*; do
            [ -e "$a" ] && echo "$name: artifact $a"
        done
        status=1
    fi
done

if [ "$found" -eq 0 ]; then
    echo "no *_fuzz programs in $dir" >&2
    status=1
fi
if [ "$status" -eq 0 ]; then
    rm -rf "$scratch"
else
    echo "failures kept in $scratch"
fi
exit $status
