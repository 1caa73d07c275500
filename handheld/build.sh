#!/usr/bin/env bash
# Builds the handheld package: one static ARMv5TE binary over musl and the
# static SDL stack that deps.sh builds (and keeps), beside its launcher, sound,
# icon and README.
#   bash handheld/build.sh [WORK [DIST]]   (defaults: build-handheld, dist/tombslide-handheld)
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
SRC=$(dirname "$HERE")
WORK=$(mkdir -p "${1:-$SRC/build-handheld}" && cd "${1:-$SRC/build-handheld}" && pwd)
DIST=${2:-$SRC/dist/tombslide-handheld}
JOBS=${JOBS:-2}
TARGET=arm-linux-gnueabi

PREFIX=$(bash "$HERE/deps.sh" "$WORK")
CC="$WORK/bin/musl-gcc"
OBJ="$WORK/game"
GEN="$OBJ/generated"
mkdir -p "$GEN"

# The pictures go into the binary as headers that the host's embed tool writes.
if [ ! -x "$OBJ/embed" ] || [ "$SRC/tools/embed/embed.cpp" -nt "$OBJ/embed" ]; then
    g++ -std=c++17 -O2 -o "$OBJ/embed" "$SRC/tools/embed/embed.cpp"
fi
for pic in image block back digit quib; do
    name=i$(tr '[:lower:]' '[:upper:]' <<<"${pic:0:1}")${pic:1}
    hdr=$GEN/$pic.h
    [ "$pic" = quib ] && hdr=$GEN/quib_data.h # not to be confused with framework/quib.h
    [ "$hdr" -nt "$SRC/assets/$pic.png" ] || "$OBJ/embed" "$SRC/assets/$pic.png" "$name" "$hdr"
done
# The window icon's picture is built in too, though the handheld has no window
# for it.
[ "$GEN/icon.h" -nt "$SRC/assets/icon-32.png" ] ||
    "$OBJ/embed" "$SRC/assets/icon-32.png" iIcon "$GEN/icon.h"

# No exceptions, no RTTI and no thread-safe statics: the game needs nothing of
# the C++ runtime, and the link below fails if that ever changes.
FLAGS=(-mcpu=arm926ej-s -mfloat-abi=soft -Os -ffunction-sections -fdata-sections)
# The C++ compiler sees the C++ library's headers (the <cstdio> kind) first,
# then musl's and the kernel's; the C++ library itself is never linked. Its
# headers were configured for glibc and ask for glibc's version: none.
CXXINC=/usr/$TARGET/include/c++/$("$TARGET-gcc" -dumpversion)
CXX=("$TARGET-g++" -nostdinc -isystem "$CXXINC" -isystem "$CXXINC/$TARGET"
     -isystem "$WORK/musl/include" -isystem "$WORK/musl/kernel"
     -isystem "$("$TARGET-gcc" -print-file-name=include)" "-D__GLIBC_PREREQ(a,b)=0")
CXXFLAGS=(-std=c++17 -fno-exceptions -fno-rtti -fno-threadsafe-statics -Wall -Wextra
          -D_GNU_SOURCE=1 -D_REENTRANT -I"$SRC/framework" -I"$SRC/game" -I"$GEN"
          -I"$HERE/image" -I"$PREFIX/include/SDL" -I"$PREFIX/include")
# The image-loading calls come from our PNG loader (handheld/image).
CFLAGS=(-std=c99 -Wall -Wextra -I"$PREFIX/include/SDL" -I"$PREFIX/include")
sources=("$SRC"/framework/*.cpp "$SRC"/game/*.cpp "$HERE"/image/*.c)
objects=()
pids=()
for src in "${sources[@]}"; do
    obj=$OBJ/$(basename "$(dirname "$src")")-$(basename "${src%.*}").o
    objects+=("$obj")
    # Rebuilt when the source, any header of the game or the stack is newer.
    if [ -f "$obj" ] && [ -z "$(find "$src" "$SRC/framework" "$SRC/game" "$HERE/image" "$GEN" "$PREFIX/.done" \
        -newer "$obj" -print -quit)" ]; then continue; fi
    [ ${#pids[@]} -lt "$JOBS" ] || { wait "${pids[0]}"; pids=("${pids[@]:1}"); }
    if [ "${src##*.}" = c ]; then
        "$CC" "${FLAGS[@]}" "${CFLAGS[@]}" -c "$src" -o "$obj" &
    else
        "${CXX[@]}" "${FLAGS[@]}" "${CXXFLAGS[@]}" -c "$src" -o "$obj" &
    fi
    pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid"; done

# Linked with the C driver: the cross compiler's C++ library is built for
# another C library and must not come in.
mkdir -p "$DIST"
"$CC" "${FLAGS[@]}" -Wl,--gc-sections -o "$OBJ/tombslide" "${objects[@]}" -L"$PREFIX/lib" \
    -lSDL_mixer -lSDL -lpng16 -lz -lpthread -lm
"$TARGET-strip" -o "$DIST/tombslide" "$OBJ/tombslide"

cp "$HERE/tombslide.gpe" "$HERE/README.txt" "$SRC/assets/drag.wav" "$DIST/"
# The libraries' licences and the versions of their sources (deps.sh).
rm -rf "$DIST/licences" && cp -r "$PREFIX/licences" "$DIST/licences"
chmod +x "$DIST/tombslide" "$DIST/tombslide.gpe"
# The launcher's icon: the art tool's 32x32 one.
cp "$SRC/assets/icon-32.png" "$DIST/tombslide.png"
echo "handheld: $DIST"
