#!/usr/bin/env bash
# Makes a sysroot of Debian bookworm armel packages for the ARMv5TE build:
# the classic SDL 1.2 with SDL_image 1.2 and SDL_mixer 1.2 and everything they
# load at run time, and the headers and static libraries the game, its tools
# and its tests compile against.
#   bash setup/armel-sysroot.sh DIR
# Nothing is installed on the host and its package manager is left as it is:
# mmdebstrap keeps its own apt configuration and only unpacks the packages
# into DIR. The C and C++ runtimes to link against come with the host's cross
# compiler; the sysroot's own copies are what the programs load under qemu.
# When DIR was made from the same package list by the same script, it is kept
# as it is.
set -euo pipefail

DIR=${1:?usage: armel-sysroot.sh DIR}
SUITE=bookworm
# The archives the machine's apt configuration names, its files as they are.
eval "$(apt-config shell LIST Dir::Etc::SourceList/f PARTS Dir::Etc::SourceParts/d)"
for f in "$LIST" "$PARTS"*.list "$PARTS"*.sources; do [ -s "$f" ] && MIRRORS+=("$f"); done
# Unpacked with everything they depend on: what the programs load.
RUNTIME="libsdl1.2debian libsdl-image1.2 libsdl-mixer1.2 libstdc++6"
# Unpacked alone: their own dependencies are only needed to build other
# programs against X11, OpenGL and the sound servers, which the game never
# does, and would bring in a whole graphics stack.
DEVEL="libsdl1.2-dev libsdl-image1.2-dev libsdl-mixer1.2-dev libgtest-dev libgmock-dev zlib1g-dev libpng-dev"

want="$SUITE armel $(cat "${MIRRORS[@]}" | sha256sum | cut -d' ' -f1)
runtime: $RUNTIME
devel: $DEVEL
script: $(sha256sum <"${BASH_SOURCE[0]}" | cut -d' ' -f1)"
if [ -f "$DIR/.packages" ] && [ "$(cat "$DIR/.packages")" = "$want" ]; then
    echo "armel sysroot $DIR is up to date"
    exit 0
fi

for tool in mmdebstrap dpkg-deb; do
    command -v "$tool" >/dev/null || { echo "armel-sysroot: $tool is missing" >&2; exit 1; }
done

# Made beside DIR and moved into place only when complete, so that a broken
# run never passes for a finished sysroot.
rm -rf "$DIR" "$DIR.new"
mkdir -p "$(dirname "$DIR")"
NEW=$(realpath -m "$DIR.new")
trap 'rm -rf "$NEW"' EXIT

# The hook runs after the runtime packages are unpacked, with apt set up for
# armel by mmdebstrap (MMDEBSTRAP_APT_CONFIG); apt's download sandbox user
# could not write into the new tree.
# shellcheck disable=SC2016
hook='cd "$1" && APT_CONFIG="$MMDEBSTRAP_APT_CONFIG" apt-get -q -o APT::Sandbox::User=root download '"$DEVEL"' && for deb in ./*.deb; do dpkg-deb -x "$deb" . && rm "$deb"; done'
mmdebstrap --quiet --variant=extract --architectures=armel \
    --include="${RUNTIME// /,}" --extract-hook="$hook" \
    "$SUITE" "$NEW" "${MIRRORS[@]}"

# What neither the compiler nor the programs use. /dev, /tmp and /var would
# also shadow the host's under qemu's -L, which looks up every path in the
# sysroot first.
rm -rf "$NEW"/{dev,tmp,var,run,proc,sys} "$NEW"/usr/share/{doc,man,info,locale,lintian,bug}

# Absolute symbolic links (libz.so -> /lib/...) would point into the host;
# make them relative, inside the sysroot.
while IFS= read -r -d '' link; do
    target=$(readlink "$link")
    case "$target" in
    /*) ln -sfn "$(realpath -s -m --relative-to="$(dirname "$link")" "$NEW$target")" "$link" ;;
    esac
done < <(find "$NEW" -type l -print0)

echo "$want" >"$NEW/.packages"
mv "$NEW" "$DIR"
trap - EXIT
echo "armel sysroot ready in $DIR ($(du -sh "$DIR" | cut -f1))"
