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
# Another apt or dpkg run may hold the package manager's lock: wait for it,
# up to LOCK_WAIT seconds, rather than failing at once.
LOCK_WAIT=${LOCK_WAIT:-300}
apt_get() { apt-get -o DPkg::Lock::Timeout="$LOCK_WAIT" "$@"; }
# apt-get update does not wait for the lock of the package lists: it is tried
# again while that lock is held.
apt_update() {
    local deadline=$((SECONDS + LOCK_WAIT)) out
    while ! out=$(apt-get update -q 2>&1); do
        if ! grep -q 'Could not get lock' <<<"$out" || [ $SECONDS -ge $deadline ]; then
            echo "$out" >&2
            return 1
        fi
        sleep 3
    done
    echo "$out" | tail -1
}
install() {
    echo "Installing: $*"
    apt_get install -y -q "$@" || { apt_update && apt_get install -y -q "$@"; } || {
        echo "install-deps: apt-get could not install $* (see above). If another package" \
            "manager run held its lock for over $LOCK_WAIT s, try again once it has ended." >&2
        return 1
    }
}
if [ ${#sdl[@]} -gt 0 ]; then install "${sdl[@]}" || exit 1; fi
if [ ${#need[@]} -gt 0 ]; then install "${need[@]}" || exit 1; fi
exit 0
