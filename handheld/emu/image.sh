#!/usr/bin/env bash
# Makes what the emulated handheld boots with:
#   bash handheld/emu/image.sh WORK ZIP [CACHE]
# WORK/initramfs.cpio   the root file system: Debian's armel busybox-static,
#                       our input player (tsplay), system-call limiters
#                       (oldkernel, fbfixed) and screen marker (fbmark), the
#                       proof's scripts, and stand-ins for
#                       the menu at /usr/gp2x/gp2xmenu and its game list
#                       (/bin/gamelist)
# WORK/card.img         a FAT memory card whose game folder holds the
#                       package's ZIP, unpacked
# The busybox package is fetched once into CACHE (default
# /var/cache/tombslide) with a private apt state over the machine's own
# package sources, for armel; nothing is installed on the machine.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mkdir -p "$1" && cd "$1" && pwd)
ZIP=$(realpath "$2")
CACHE=${3:-/var/cache/tombslide}
CC=arm-linux-gnueabi-gcc

debs=$CACHE/armel-debs
if ! compgen -G "$debs/busybox-static_*_armel.deb" >/dev/null; then
    apt_dir=$CACHE/armel-apt
    APT=(-q -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache"
         -o Dir::State::status=/dev/null -o APT::Architecture=armel
         -o APT::Architectures::=armel -o APT::Sandbox::User=root)
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$debs"
    echo "device image: fetching busybox-static for armel" >&2
    apt-get "${APT[@]}" update >&2
    (cd "$debs" && apt-get "${APT[@]}" download busybox-static >&2)
    rm -rf "$apt_dir"
fi

root=$WORK/root
rm -rf "$root" && mkdir -p "$root"/{bin,dev,proc,sys,tmp,card,etc/proof,usr/gp2x}
dpkg-deb --fsys-tarfile "$(ls "$debs"/busybox-static_*_armel.deb | tail -n1)" |
    tar -xf - -C "$WORK" ./bin/busybox
mv "$WORK/bin/busybox" "$root/bin/busybox" && rmdir "$WORK/bin"
ln -s busybox "$root/bin/sh"
# The guest's programs for the handheld's processor, its flags as the game's.
read -r -a ARM926 <<<"$(sed -n 's/^set(ARM926_FLAGS \(.*\))$/\1/p' "$HERE/../../cmake/arm926.cmake")"
[ ${#ARM926[@]} -gt 0 ] || { echo "image: no ARM926_FLAGS in cmake/arm926.cmake" >&2; exit 1; }
FLAGS=(-static -Os -Wall -Wextra -Werror "${ARM926[@]}")
"$CC" "${FLAGS[@]}" -o "$root/bin/tsplay" "$HERE/tsplay.c"
"$CC" "${FLAGS[@]}" -o "$root/bin/oldkernel" "$HERE/oldkernel.c"
"$CC" "${FLAGS[@]}" -o "$root/bin/fbfixed" "$HERE/fbfixed.c"
"$CC" "${FLAGS[@]}" -o "$root/bin/fbmark" "$HERE/fbmark.c"
install -m 755 "$HERE/guest/init" "$root/init"
install -m 755 "$HERE/guest/gp2xmenu" "$root/usr/gp2x/gp2xmenu"
install -m 755 "$HERE/guest/gamelist" "$root/bin/gamelist"
cp "$HERE"/guest/*.txt "$root/etc/proof/"
(cd "$root" && find . | LC_ALL=C sort | cpio --quiet -o -H newc -R 0:0 >"$WORK/initramfs.cpio")

# The emulator's SD card wants a size that is a power of two.
rm -f "$WORK/card.img"
mkfs.vfat -C -n TOMBSLIDE "$WORK/card.img" 16384 >/dev/null
rm -rf "$WORK/game" && mkdir "$WORK/game"
unzip -q "$ZIP" -d "$WORK/game"
mcopy -i "$WORK/card.img" -s "$WORK/game" ::/game
rm -rf "$WORK/game"
