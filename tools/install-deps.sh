#!/usr/bin/env bash
# Installs the Debian packages the game and its tests need, when missing.
# As root it runs apt-get; otherwise it prints the apt-get line and fails.
set -u
need=()
for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || need+=("$pkg")
done
# The SDL 1.2 API: the compat package on a desktop, or the classic library
# that the handheld's toolchain ships; either will do.
if ! pkg-config --exists sdl 2>/dev/null; then
    need+=(libsdl1.2-compat-dev)
fi
[ ${#need[@]} -eq 0 ] && exit 0

line="apt-get install -y ${need[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages. Install them with:" >&2
    echo "  sudo $line" >&2
    exit 1
fi
echo "Installing: ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -q "${need[@]}" || { apt-get update -q && apt-get install -y -q "${need[@]}"; }
