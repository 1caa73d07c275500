#!/usr/bin/env bash
# The Debian package on a fresh Debian 12 that has no SDL 1.2 yet, as a new
# player meets it: a minimal system made with mmdebstrap from this machine's
# apt sources, where `apt-get install ./tombslide_*.deb` must bring the
# compatibility layer over SDL 2 (libsdl1.2-compat-shim) and not the classic
# library (libsdl1.2debian); then the installed game is played there once
# under Xvfb, without a sound device: one drag, quit, save.dat written.
#   bash tests/fresh_install.sh <source dir> <path to tombslide_*.deb>
# Needs root. The system is made in build-deb/fresh and removed afterwards.
set -euo pipefail

SRC=$(realpath "$1")
DEB=$(realpath "$2")
ROOT=$SRC/build-deb/fresh
started=$SECONDS
[ "$(id -u)" -eq 0 ] || { echo "fresh install: needs root"; exit 1; }
command -v mmdebstrap >/dev/null || { echo "fresh install: mmdebstrap is missing"; exit 1; }

mounted=()
remove_root() {
    local m
    for m in "${mounted[@]}"; do umount -l "$m" 2>/dev/null || true; done
    rm -rf --one-file-system "$ROOT"
}
remove_root
# xplay.sh's own clean-up runs first, then this one.
source "$SRC/tests/xplay.sh"
trap 'cleanup; remove_root' EXIT

# This machine's apt sources, whichever form they take.
sources=()
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -s "$f" ] && sources+=("$f")
done
[ ${#sources[@]} -gt 0 ] || fail "no apt sources on this machine"
mmdebstrap --mode=root --variant=apt --aptopt='Acquire::Check-Valid-Until "false"' \
    bookworm "$ROOT" "${sources[@]}" >"$WORK/mmdebstrap.log" 2>&1 ||
    fail "mmdebstrap: $(tail -5 "$WORK/mmdebstrap.log")"
echo "fresh install: minimal system made in $((SECONDS - started)) s"

in_root() { chroot "$ROOT" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@"; }
for m in dev proc; do
    mount --rbind "/$m" "$ROOT/$m"
    mounted=("$ROOT/$m" "${mounted[@]}")
done
in_root dpkg-query -W -f='${Status}\n' libsdl1.2debian libsdl1.2-compat-shim 2>/dev/null |
    grep -q 'install ok installed' && fail "the fresh system already has an SDL 1.2"
cp "$DEB" "$ROOT/tmp/"
in_root apt-get update -q >"$WORK/apt.log" 2>&1 || fail "apt-get update: $(tail -5 "$WORK/apt.log")"
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "/tmp/$(basename "$DEB")" \
    >>"$WORK/apt.log" 2>&1 || fail "apt-get install: $(tail -5 "$WORK/apt.log")"
installed() { in_root dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
installed tombslide || fail "tombslide is not installed"
installed libsdl1.2-compat-shim || fail "apt did not choose libsdl1.2-compat-shim"
installed libsdl1.2debian && fail "apt installed the classic libsdl1.2debian"
echo "fresh install: installed with libsdl1.2-compat-shim in $((SECONDS - started)) s"

# The installed command, run inside the fresh system on this machine's Xvfb
# (its socket is reachable there), with no sound device and a fresh home.
cat >"$WORK/play" <<EOF
#!/bin/bash
exec chroot "$ROOT" env -i PATH=/usr/bin:/bin HOME=/root XDG_DATA_HOME=/tmp/data \
    DISPLAY="\$DISPLAY" SDL_MOUSE_RELATIVE_MODE_WARP=1 /usr/games/tombslide
EOF
chmod +x "$WORK/play"
GAME=$WORK/play
DATA=$ROOT/tmp/data/tombslide
LOG=$DATA/last-run.log
start_display
launch
drag 0 5 2 5 # stage 0's bottom triple two cells right
tap 238 225  # quit
finish
savedump "$DATA/save.dat" | grep -qx "block 2 5 3 1 3" || fail "save.dat lacks the dragged triple"
grep -q "playing without sound" "$WORK/run.log" || fail "no word on the missing sound device"
grep -q "DrawScore" "$WORK/run.log" && fail "the trace went to the terminal"
echo "fresh install passed in $((SECONDS - started)) s"
