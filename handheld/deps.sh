#!/usr/bin/env bash
# Builds the handheld's third-party stack once and keeps it:
#   bash handheld/deps.sh OUT
# OUT (git-ignored) ends up holding
#   apt/            a private apt configuration: the machine's sources with deb-src added
#   dl/             the Debian source packages and musl's armel binary packages
#   musl/           musl for armel, unpacked: include/, lib/ (crt files, libc.a)
#   musl-gcc-link   makes arm-linux-gnueabi-gcc compile and link against it, statically
#   deps-KEY/       zlib, libpng, SDL 1.2 (with our touch panel input) and
#                   SDL_mixer, static; licences/ holds their licences and
#                   musl's, and SOURCES the exact package versions
#   deps            a link to the current deps-KEY
# KEY hashes the source package versions and this script's inputs (the CPU flags
# too), so a second run finds everything built at once. Prints the deps folder.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
OUT=$(mkdir -p "$1" && cd "$1" && pwd)
JOBS=${JOBS:-2}
SOURCES=(zlib libpng1.6 libsdl1.2 sdl-mixer1.2)
SUITE=bookworm # the release's own versions, whatever updates the machine also follows
TARGET=arm-linux-gnueabi
log() { echo "handheld: $*" >&2; }

# --- apt with our own lists and cache, for the sources and armel binaries of
# the archives the machine's own apt configuration names.
APT=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$OUT/apt/sources.list.d"
     -o Dir::State::Lists="$OUT/apt/lists" -o Dir::Cache="$OUT/apt/cache"
     -o Dir::State::status=/dev/null -o APT::Architecture=armel
     -o APT::Architectures::=armel -o APT::Sandbox::User=root -q)
fetch() {
    rm -rf "$OUT/apt/sources.list.d"
    mkdir -p "$OUT/apt/lists/partial" "$OUT/apt/cache/archives/partial" "$OUT/dl" "$OUT/apt/sources.list.d"
    eval "$(apt-config shell LIST Dir::Etc::SourceList/f PARTS Dir::Etc::SourceParts/d)"
    for f in "$LIST" "$PARTS"*.list "$PARTS"*.sources; do # each deb entry also as deb-src
        [ -f "$f" ] && sed -e 's/^\([[:space:]]*\)deb\([[:space:]].*\)$/&\n\1deb-src\2/' \
            -e 's/^Types:.*/Types: deb deb-src/' "$f" >"$OUT/apt/sources.list.d/$(basename "$f")"
    done
    log "fetching the source packages and musl for armel"
    apt-get "${APT[@]}" update >&2
    (cd "$OUT/dl" && apt-get "${APT[@]}" source --download-only "${SOURCES[@]/%//$SUITE}" >&2 &&
        apt-get "${APT[@]}" download musl/$SUITE musl-dev/$SUITE >&2)
}
have_all() {
    local p
    for p in "${SOURCES[@]}"; do compgen -G "$OUT/dl/${p}_*.dsc" >/dev/null || return 1; done
    compgen -G "$OUT/dl/musl-dev_*_armel.deb" >/dev/null
}
have_all || fetch
have_all || { log "the source packages could not be fetched"; exit 1; }

# --- musl, unpacked from its armel packages (never installed on the machine).
if [ ! -f "$OUT/musl/lib/libc.a" ]; then
    rm -rf "$OUT/musl" "$OUT/musl.x" && mkdir -p "$OUT/musl.x"
    for deb in "$OUT"/dl/musl_*_armel.deb "$OUT"/dl/musl-dev_*_armel.deb; do
        dpkg-deb -x "$deb" "$OUT/musl.x"
    done
    mkdir -p "$OUT/musl"
    mv "$OUT/musl.x/usr/include/arm-linux-musleabi" "$OUT/musl/include"
    mv "$OUT/musl.x/usr/lib/arm-linux-musleabi" "$OUT/musl/lib"
    rm -rf "$OUT/musl.x"
fi
# The kernel's user-space headers (linux/, asm/) for the joystick, framebuffer
# and sound ioctls: the cross toolchain's copy, without its C library headers.
mkdir -p "$OUT/musl/kernel"
for dir in linux asm asm-generic; do ln -sfn "/usr/$TARGET/include/$dir" "$OUT/musl/kernel/$dir"; done
# OSS programs look for <sys/soundcard.h>, which musl leaves to the kernel's.
mkdir -p "$OUT/musl/kernel/sys"
echo '#include <linux/soundcard.h>' >"$OUT/musl/kernel/sys/soundcard.h"
sed "s|@MUSL@|$OUT/musl|g" "$HERE/musl-gcc-link.in" >"$OUT/musl-gcc-link"
# One-word compiler commands (old libtool cannot take options in CC).
mkdir -p "$OUT/bin"
for tool in gcc g++; do
    printf '#!/bin/sh\nexec %s-%s -specs=%s -static "$@"\n' $TARGET $tool "$OUT/musl-gcc-link" \
        >"$OUT/bin/musl-$tool"
    chmod +x "$OUT/bin/musl-$tool"
done

# --- The cache key: what is built, from which sources, by which recipe.
ARM926=$(sed -n 's/^set(ARM926_FLAGS \(.*\))$/\1/p' "$HERE/../cmake/arm926.cmake")
KEY=$( (ls "$OUT/dl"; echo "$ARM926"; cat "$HERE/deps.sh" "$HERE/musl-gcc-link.in" "$HERE"/sdl/*.patch "$HERE"/touch/touch.[ch] \
    "$HERE"/screen/screen.[ch]) |
    sha256sum | cut -c1-16)
PREFIX="$OUT/deps-$KEY"
if [ -f "$PREFIX/.done" ]; then
    ln -sfn "deps-$KEY" "$OUT/deps"
    echo "$PREFIX"
    exit 0
fi
log "building the third-party libraries into $PREFIX"
rm -rf "$PREFIX" "$OUT/src" && mkdir -p "$PREFIX/include" "$PREFIX/lib" "$OUT/src"

export CC="$OUT/bin/musl-gcc"
export AR="$TARGET-ar" RANLIB="$TARGET-ranlib" STRIP="$TARGET-strip"
export CFLAGS="$ARM926 -Os -ffunction-sections -fdata-sections"
export CPPFLAGS="-I$PREFIX/include" LDFLAGS="-L$PREFIX/lib"
export PKG_CONFIG_LIBDIR="$PREFIX/lib/pkgconfig" PKG_CONFIG_PATH=""
# apt-get checked the downloads against the signed index; dpkg-source then
# only unpacks and applies Debian's patches.
unpack() { # package name -> the unpacked, patched tree
    local dsc
    dsc=$(ls "$OUT"/dl/"$1"_*.dsc | tail -n1)
    dpkg-source --no-check -x "$dsc" "$OUT/src/$1" >/dev/null
    echo "$OUT/src/$1"
}
quietly() { # runs a build step, its output kept in build.out and shown on failure
    "$@" >>build.out 2>&1 || { tail -n 40 build.out >&2; [ -f config.log ] && tail -n 20 config.log >&2; exit 1; }
}
# Each library's licence and Debian's copyright file, kept for the package.
keep_licence() { # the library's name, then its licence files in the unpacked tree
    mkdir -p "$PREFIX/licences/$1"
    cp "${@:2}" debian/copyright "$PREFIX/licences/$1/"
}
configure() { quietly ./configure --host=$TARGET --prefix="$PREFIX" --disable-shared --enable-static "$@"; }

log "zlib"
cd "$(unpack zlib)"
keep_licence zlib LICENSE
CHOST=$TARGET quietly ./configure --static --prefix="$PREFIX"
quietly make -j"$JOBS" libz.a
quietly make install

log "libpng"
cd "$(unpack libpng1.6)"
keep_licence libpng LICENSE
configure --disable-tools --disable-hardware-optimizations
quietly make -j"$JOBS"
quietly make install

log "SDL 1.2"
# The framebuffer console for video (its mouse code reads the touch panel),
# the Linux joystick for the buttons, OSS for sound, and the dummy drivers for
# runs without a device. Nothing needs X11 or a dynamic loader.
cd "$(unpack libsdl1.2)"
keep_licence SDL COPYING
# Our touch panel input, and the screen and console as the handheld has them,
# in the framebuffer driver (handheld/touch, handheld/screen, handheld/sdl).
for p in fbcon-touch fbcon-screen; do quietly patch -p1 -i "$HERE/sdl/$p.patch"; done
cp "$HERE/touch/touch.c" "$HERE/touch/touch.h" "$HERE/screen/screen.c" "$HERE/screen/screen.h" \
    src/video/fbcon/
configure --disable-loadso --disable-sdl-dlopen --disable-rpath --disable-video-x11 --disable-video-dga \
    --disable-video-directfb --disable-video-svga --disable-video-ggi --disable-video-aalib \
    --disable-video-caca --disable-video-opengl --disable-video-ps3 --disable-video-ps2gs \
    --disable-video-nanox --disable-video-qtopia --disable-video-picogui --disable-video-wscons \
    --disable-video-vgl --disable-video-photon --enable-video-fbcon --enable-video-dummy \
    --disable-input-tslib --disable-alsa --disable-pulseaudio --disable-esd --disable-arts \
    --disable-nas --enable-oss --enable-dummyaudio --enable-diskaudio --enable-joystick \
    --enable-threads --enable-pthreads --disable-cdrom
quietly make -j"$JOBS"
quietly make install-hdrs install-lib install-bin install-data

log "SDL_mixer (WAVE only)"
cd "$(unpack sdl-mixer1.2)"
keep_licence SDL_mixer COPYING
configure --with-sdl-prefix="$PREFIX" --disable-sdltest --disable-music-cmd --disable-music-mod \
    --disable-music-mod-modplug --disable-music-midi --disable-music-timidity-midi \
    --disable-music-native-midi --disable-music-fluidsynth-midi --disable-music-ogg \
    --disable-music-flac --disable-music-mp3 --disable-music-mp3-mad-gpl --disable-smpegtest \
    --enable-music-wave
quietly make -j"$JOBS"
quietly make install

log "licences"
mkdir -p "$PREFIX/licences/musl"
dpkg-deb --fsys-tarfile "$(ls "$OUT"/dl/musl_*_armel.deb | tail -n1)" |
    tar -xO ./usr/share/doc/musl/copyright >"$PREFIX/licences/musl/copyright"
{
    echo "Debian 12 (bookworm) packages built into the program, from Debian's archive."
    echo "Their sources, with a deb-src line for bookworm in apt's sources:"
    for dsc in "$OUT"/dl/*.dsc; do
        printf '  apt-get source %s=%s\n' "$(sed -n 's/^Source: //p' "$dsc")" "$(sed -n 's/^Version: //p' "$dsc")"
    done
    echo "musl, the C library, from its armel binary packages (source package musl):"
    for deb in "$OUT"/dl/musl*_armel.deb; do
        printf '  apt-get download %s:armel=%s\n' "$(dpkg-deb -f "$deb" Package)" "$(dpkg-deb -f "$deb" Version)"
    done
    printf '  apt-get source musl=%s\n' "$(dpkg-deb -f "$(ls "$OUT"/dl/musl_*_armel.deb | tail -n1)" Version)"
} >"$PREFIX/licences/SOURCES"

rm -rf "$OUT/src"
touch "$PREFIX/.done"
for old in "$OUT"/deps-*; do [ "$old" = "$PREFIX" ] || rm -rf "$old"; done
ln -sfn "deps-$KEY" "$OUT/deps"
echo "$PREFIX"
