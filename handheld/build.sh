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
# The launcher's icon: the art tool's 32x32 one.
cp "$SRC/assets/icon-32.png" "$DIST/tombslide.png"
echo "handheld: $DIST"
