#!/bin/sh
# Runs every *_fuzz program in a directory for N seconds, starting from its seeds
# in fuzz/corpus/<program>/ (copied to a scratch directory, so the committed
# seeds stay as they are), and prints how many inputs each one ran.
set -eu
dir=${1:-build/fuzz/bin}
seconds=${2:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
for f in "$dir"/*_fuzz; do
    [ -x "$f" ] || continue
    name=$(basename "$f")
    work=$(mktemp -d)
    if [ -d "$root/fuzz/corpus/$name" ]; then
        cp -R "$root/fuzz/corpus/$name/." "$work/"
    fi
    log="$work.log"
    if "$f" -max_total_time="$seconds" -print_final_stats=1 "$work" >"$log" 2>&1; then
        execs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
        echo "$name: ${execs:-?} executions in ${seconds} s"
    else
        echo "$name: FAILED"
        tail -n 40 "$log"
        status=1
    fi
    rm -rf "$work" "$log"
done
exit $status
