#!/usr/bin/env bash
# Installs the Debian packages the game and its tests need, when missing.
# As root it runs apt-get; otherwise it prints the line for root and fails.
set -u
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# The SDL 1.2 API: the compat package on a desktop, or the classic library
# that the handheld's toolchain ships; either will do. It goes first and on its
# own, so that the SDL_image and SDL_mixer packages find their SDL 1.2
# dependency already met instead of pulling in the classic one.
sdl=()
installed libsdl1.2-compat-dev || installed libsdl1.2-dev || sdl=(libsdl1.2-compat-dev)
need=()
for pkg in "$@"; do
    installed "$pkg" || need+=("$pkg")
done
[ ${#sdl[@]} -eq 0 ] && [ ${#need[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    # sudo may not be there on a fresh Debian: name what root runs.
    all=("${sdl[@]}" "${need[@]}")
    echo "Missing Debian packages. As root, run:" >&2
    echo "  apt-get install -y ${all[*]}" >&2
    echo "for example with: su -c 'apt-get install -y ${all[*]}'" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
install() {
    echo "Installing: $*"
    local apt=(apt-get install -y -q -o DPkg::Lock::Timeout=900)
    "${apt[@]}" "$@" || { apt-get update -q && "${apt[@]}" "$@"; }
}
if [ ${#sdl[@]} -gt 0 ]; then install "${sdl[@]}" || exit 1; fi
if [ ${#need[@]} -gt 0 ]; then install "${need[@]}" || exit 1; fi
exit 0
