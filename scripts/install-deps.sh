#!/bin/sh
# Installs the Debian packages listed in scripts/debian-packages.txt that are
# not installed yet. As root it runs apt-get itself, otherwise through sudo;
# without either it prints the command to run and fails.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
list="$here/debian-packages.txt"

missing=""
for pkg in $(grep -v -e '^#' -e '^[[:space:]]*$' "$list"); do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    case "$status" in
        *"install ok installed"*) ;;
        *) missing="$missing $pkg" ;;
    esac
done
[ -z "$missing" ] && exit 0

echo "Installing missing Debian packages:$missing"
cmd="apt-get install -y --no-install-recommends$missing"
if [ "$(id -u)" -eq 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y --no-install-recommends $missing
elif command -v sudo >/dev/null 2>&1; then
    sudo apt-get update -qq
    # shellcheck disable=SC2086
    sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
else
    echo "Neither root nor sudo is available. Run as root:" >&2
    echo "  apt-get update && $cmd" >&2
    exit 1
fi
