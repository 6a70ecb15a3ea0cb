#!/bin/sh
# Installs a build into a temporary prefix and checks the tree a desktop needs:
# the program, its desktop entry and the logo in the usual hicolor sizes.
# Usage: check-install-layout.sh <cmake> <build dir>
set -eu
cmake=$1
build=$2
prefix=$(mktemp -d "${TMPDIR:-/tmp}/qinghe-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT INT TERM

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# DESTDIR from the caller's environment would move the tree elsewhere.
if ! log=$(env -u DESTDIR "$cmake" --install "$build" --prefix "$prefix" 2>&1); then
    echo "$log" >&2
    echo "FAIL: cmake --install" >&2
    exit 1
fi

# The program.
program="$prefix/bin/qinghe-rank"
if [ ! -f "$program" ] || [ ! -x "$program" ]; then
    fail "bin/qinghe-rank missing or not executable"
elif [ "$(head -c 4 "$program" | od -An -c | tr -d ' ')" != '177ELF' ]; then
    fail "bin/qinghe-rank is not an ELF program"
elif command -v readelf >/dev/null 2>&1 &&
    readelf -d "$program" | grep -E 'R(UN)?PATH' | grep -qF "$build"; then
    fail "bin/qinghe-rank still looks for libraries in the build tree"
fi

# The desktop entry.
desktop="$prefix/share/applications/qinghe-rank.desktop"
if [ ! -f "$desktop" ]; then
    fail "share/applications/qinghe-rank.desktop missing"
else
    if command -v desktop-file-validate >/dev/null 2>&1; then
        desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the entry"
    else
        echo "note: desktop-file-validate not installed, entry not validated" >&2
    fi
    for line in 'Type=Application' 'Exec=qinghe-rank' 'Icon=qinghe-rank' 'Terminal=false' \
        'Name=青禾关键词排名查询工具'; do
        grep -qxF "$line" "$desktop" || fail "desktop entry lacks the line $line"
    done
    grep -q '^Name\[en\]=.' "$desktop" || fail "desktop entry has no English name"
    categories=$(sed -n 's/^Categories=//p' "$desktop")
    case ";$categories" in *";Network;"*) ;; *) fail "Categories lack Network" ;; esac
    case ";$categories" in *";Utility;"*) ;; *) fail "Categories lack Utility" ;; esac
    # Exec names the installed program by its bare name, found on PATH.
    exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
    [ -x "$prefix/bin/$exec_program" ] || fail "Exec=$exec_program is not an installed program"
fi

# The icons: a PNG named after the Icon key in each size directory, of that size.
png_size() {  # prints "<width>x<height>" from the PNG header, or nothing
    [ "$(od -An -tx1 -N8 "$1" | tr -d ' \n')" = 89504e470d0a1a0a ] || return 0
    od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", (($1*256+$2)*256+$3)*256+$4, (($5*256+$6)*256+$7)*256+$8 }'
}
# 48 and up are what menus, docks and software centres pick; smaller sizes are
# optional, and checked like the others when they are there.
hicolor="$prefix/share/icons/hicolor"
for size in 48 64 128 256; do
    [ -f "$hicolor/${size}x${size}/apps/qinghe-rank.png" ] || fail "no ${size}x${size} icon"
done
for icon in "$hicolor"/*/apps/qinghe-rank.png; do
    [ -f "$icon" ] || continue
    dir=$(basename "$(dirname "$(dirname "$icon")")")
    actual=$(png_size "$icon")
    [ "$actual" = "$dir" ] || fail "$dir/apps/qinghe-rank.png is ${actual:-not a PNG}"
done

# Nothing of the build's insides: no libraries, headers or test programs.
stray=$(cd "$prefix" && find . -type f ! -path './bin/qinghe-rank' ! -path './share/*')
[ -z "$stray" ] || fail "unexpected files installed: $(echo "$stray" | tr '\n' ' ')"

if [ "$failures" -ne 0 ]; then
    echo "installed tree:" >&2
    (cd "$prefix" && find . -type f | sort) >&2
    exit 1
fi
echo "install tree OK"
