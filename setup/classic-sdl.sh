#!/usr/bin/env bash
# Runs a command against the classic SDL 1.2 library, the one the handheld
# has, instead of the desktop's SDL 1.2 layer over SDL 2.
#   bash setup/classic-sdl.sh DIR COMMAND [ARGS...]
# The first time, Debian's runtime package of the classic library and the
# libraries it needs beyond the desktop stack are fetched with apt-get
# download and unpacked into DIR; nothing is installed on the system. SDL_image
# and SDL_mixer are the system's own: they load whichever libSDL-1.2.so.0 comes
# first. COMMAND then runs with DIR's libraries first in LD_LIBRARY_PATH and
# with TOMBSLIDE_SDL_VERSION naming the version it must find at run time
# (TOMBSLIDE_SDL_DIR names the folder it must come from).
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: $0 DIR COMMAND [ARGS...]" >&2; exit 2; }
dir=$(mkdir -p "$1" && cd "$1" && pwd)
shift
PACKAGES=(libsdl1.2debian libcaca0 libslang2)

libdir() { find "$dir/root" -name libSDL-1.2.so.0 -printf '%h\n' 2>/dev/null | head -n1; }

if [ -z "$(libdir)" ]; then
    rm -rf "$dir/debs" "$dir/root"
    mkdir -p "$dir/debs"
    fetch() { (cd "$dir/debs" && apt-get download -q -o APT::Sandbox::User=root "${PACKAGES[@]}"); }
    if ! fetch; then
        [ "$(id -u)" -eq 0 ] || { echo "classic-sdl: apt-get download failed" >&2; exit 1; }
        apt-get update -q && fetch
    fi
    for deb in "$dir"/debs/*.deb; do dpkg-deb -x "$deb" "$dir/root"; done
fi
lib=$(libdir)
[ -n "$lib" ] || { echo "classic-sdl: no libSDL-1.2.so.0 in $dir" >&2; exit 1; }
# Every library the classic one needs must be found, from DIR or the system.
missing=$(LD_LIBRARY_PATH="$lib" ldd "$lib/libSDL-1.2.so.0" | grep 'not found' || true)
[ -z "$missing" ] || { echo "classic-sdl: missing libraries:" >&2; echo "$missing" >&2; exit 1; }

# The package's upstream version, e.g. 1.2.15 from 1.2.15+dfsg2-8.
version=$(dpkg-deb -f "$dir"/debs/libsdl1.2debian_*.deb Version | sed 's/[+-].*//')
export LD_LIBRARY_PATH="$lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
export TOMBSLIDE_SDL_VERSION="$version" TOMBSLIDE_SDL_DIR="$lib"
echo "classic-sdl: SDL $version from $lib"
exec "$@"
