#!/usr/bin/env bash
# Builds the kernel of the emulated handheld once and keeps it:
#   bash handheld/emu/kernel.sh [CACHE]   (default /var/cache/tombslide)
# A Linux 6.1 zImage and the board's device tree for qemu-system-arm -M
# versatilepb -cpu arm926, from Debian's linux-source-6.1 with the ARM EABI
# cross compiler: versatile_defconfig plus kernel.config. They are kept in
# CACHE/kernel-KEY, KEY hashing the source package's version, the compiler's,
# kernel.config and this script, so a second run reuses them. Prints that folder.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
CACHE=${1:-/var/cache/tombslide}
JOBS=${JOBS:-2}
CROSS=arm-linux-gnueabi-
TARBALL=/usr/src/linux-source-6.1.tar.xz
log() { echo "kernel: $*" >&2; }

version=$(dpkg-query -W -f='${Version}' linux-source-6.1)
KEY=$( (echo "$version"; "${CROSS}gcc" --version | head -n1; cat "$HERE/kernel.config" "$HERE/kernel.sh") |
    sha256sum | cut -c1-16)
OUT=$CACHE/kernel-$KEY
if [ -f "$OUT/zImage" ] && [ -f "$OUT/versatile-pb.dtb" ]; then
    echo "$OUT"
    exit 0
fi
mkdir -p "$CACHE"
# One build at a time; a second caller waits and then finds it done.
exec 9>"$CACHE/kernel.lock"
flock 9
if [ -f "$OUT/zImage" ] && [ -f "$OUT/versatile-pb.dtb" ]; then
    echo "$OUT"
    exit 0
fi

start=$(date +%s)
TREE=$CACHE/kernel-$KEY.build
rm -rf "$TREE" && mkdir -p "$TREE"
log "unpacking linux-source-6.1 $version"
tar -xJf "$TARBALL" -C "$TREE" --strip-components=1
# The memory card as the emulator wires it: QEMU's versatilepb raises the
# PL181's second interrupt on the secondary controller's line 1, not 23, and
# shows no card-detect signal, so the card is declared always present.
dts=$TREE/arch/arm/boot/dts/versatile-pb.dts
sed -i 's|interrupts-extended = <&sic 22 &sic 23>;|interrupts-extended = <\&sic 22 \&sic 1>;\n\t\t\t\tnon-removable;|' "$dts"
grep -q 'non-removable' "$dts" || { log "the card's node was not found in $dts"; exit 1; }
K=(make -C "$TREE" -s ARCH=arm CROSS_COMPILE="$CROSS" -j"$JOBS")
"${K[@]}" versatile_defconfig
(cd "$TREE" && ARCH=arm scripts/kconfig/merge_config.sh -m .config "$HERE/kernel.config" >/dev/null)
"${K[@]}" olddefconfig
# Every line of the fragment must have come through as written.
missing=0
while IFS= read -r line; do
    case $line in
        CONFIG_*) grep -qxF "$line" "$TREE/.config" || { log "not in .config: $line"; missing=1; } ;;
        "# CONFIG_"*" is not set")
            opt=${line#\# }
            opt=${opt%% *}
            ! grep -q "^$opt=" "$TREE/.config" || { log "still set: $opt"; missing=1; } ;;
    esac
done <"$HERE/kernel.config"
[ "$missing" -eq 0 ] || exit 1
log "building with $JOBS jobs"
"${K[@]}" zImage versatile-pb.dtb
mkdir -p "$OUT.new"
cp "$TREE/arch/arm/boot/zImage" "$TREE/arch/arm/boot/dts/versatile-pb.dtb" "$TREE/.config" "$OUT.new/"
rm -rf "$OUT" && mv "$OUT.new" "$OUT"
rm -rf "$TREE"
log "built in $(($(date +%s) - start)) s"
echo "$OUT"
