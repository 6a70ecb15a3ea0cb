#!/bin/sh
# Draws the logo into assets/: qinghe-rank.png (50 x 50, the window's logo) and
# icons/<N>x<N>/qinghe-rank.png for the desktop. The program draws them itself
# (the same code as its window uses), so build it first.
# Usage: scripts/make-icons.sh [path/to/qinghe-rank]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/default/bin/qinghe-rank}
[ -x "$program" ] || { echo "build the program first: $program" >&2; exit 1; }
"$program" --write-icons "$root/assets"
