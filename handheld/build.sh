#!/usr/bin/env bash
# Builds the handheld package: one static ARMv5TE binary (the CMake project with
# cmake/handheld-toolchain.cmake, over musl and the static SDL stack that deps.sh
# builds and keeps), beside its launcher, sound, icon and README.
#   bash handheld/build.sh [WORK [DIST]]   (defaults: build-handheld, dist/tombslide-handheld)
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
SRC=$(dirname "$HERE")
WORK=$(mkdir -p "${1:-$SRC/build-handheld}" && cd "${1:-$SRC/build-handheld}" && pwd)
DIST=${2:-$SRC/dist/tombslide-handheld}

PREFIX=$(bash "$HERE/deps.sh" "$WORK")
# The game, and the save-file reader of its proof; none of the tests and tools.
cmake -S "$SRC" -B "$WORK/game" -DCMAKE_TOOLCHAIN_FILE="$SRC/cmake/handheld-toolchain.cmake" \
    -DTOMBSLIDE_HANDHELD_PREFIX="$PREFIX" -DCMAKE_BUILD_TYPE=MinSizeRel -DTOMBSLIDE_TESTS=OFF \
    -DTOMBSLIDE_TOOLS= >/dev/null
cmake --build "$WORK/game" -j"${JOBS:-2}" --target tombslide savedump

mkdir -p "$DIST"
arm-linux-gnueabi-strip -o "$DIST/tombslide" "$WORK/game/tombslide"
cp "$HERE/tombslide.gpe" "$HERE/README.txt" "$SRC/assets/drag.wav" "$DIST/"
# The libraries' licences and the versions of their sources (deps.sh).
rm -rf "$DIST/licences" && cp -r "$PREFIX/licences" "$DIST/licences"
chmod +x "$DIST/tombslide" "$DIST/tombslide.gpe"
# The game list's icon, the art tool's 32x32 one, and its preview, the size
# of the screen.
cp "$SRC/assets/icon-32.png" "$DIST/tombslide.png"
cp "$SRC/assets/caanoo-title.png" "$DIST/title.png"
echo "handheld: $DIST"

# The zip for the card's game folder, where the device's game list finds
# games by their .ini. The same files give the same bytes: fixed modes, times
# (SOURCE_DATE_EPOCH, else the last commit's) and order, no extra fields.
ZIP=$(cd "$(dirname "$DIST")" && pwd)/tombslide-caanoo.zip
stamp=${SOURCE_DATE_EPOCH:-$(git -C "$SRC" log -1 --format=%ct 2>/dev/null || echo 1262304000)}
stage=$WORK/caanoo
rm -rf "$stage" && mkdir -p "$stage"
cp "$HERE/tombslide.ini" "$stage/"
mkdir "$stage/tombslide"
cp -r "$DIST"/{tombslide,tombslide.gpe,tombslide.png,title.png,drag.wav,README.txt,licences} \
    "$stage/tombslide/"
find "$stage" -type d -exec chmod 755 {} +
find "$stage" -type f -exec chmod 644 {} +
chmod 755 "$stage/tombslide/tombslide" "$stage/tombslide/tombslide.gpe"
find "$stage" -exec touch -h -d "@$stamp" {} +
rm -f "$ZIP"
(cd "$stage" && find tombslide.ini tombslide | LC_ALL=C sort | TZ=UTC zip -q -X -@ "$ZIP")
rm -rf "$stage"
echo "handheld: $ZIP"
