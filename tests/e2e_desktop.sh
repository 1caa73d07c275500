#!/usr/bin/env bash
# End to end on a large desktop: the real game on a 1920x1080 Xvfb screen
# without a window manager.
#   bash tests/e2e_desktop.sh <path to tombslide> <source dir>
# Over SDL 2 (Debian's SDL 1.2 compatibility layer) the window covers the
# screen and shows the picture scaled 4 times, pixel for pixel, centred; a
# click on the next button where it appears on screen goes to the next stage.
# With either library the keys act: Right goes to the next stage, Backspace
# restarts, Escape quits and the game saves.
set -euo pipefail

GAME=$(realpath "$1")
SRC=$(realpath "$2")
source "$SRC/tests/xplay.sh"
# The player may ask SDL for other scaling; this run checks the game's own.
unset SDL12COMPAT_SCALE_METHOD SDL_RENDER_SCALE_QUALITY
start_display 1920x1080
export SDL_AUDIODRIVER=dummy
cp "$SRC/assets/drag.wav" "$WORK/"
cd "$WORK"
stages() { grep -c "InitStage" "$LOG" || true; }
# Waits until the trace has n stage layouts.
wait_stages() {
    for _ in $(seq 400); do [ "$(stages)" -ge "$1" ] && return 0; sleep 0.05; done
    fail "expected $1 stage layouts, found $(stages)"
}

launch
over_sdl2=0
lib=$(ldd "$GAME" | awk '/libSDL-1\.2/ { print $3 }')
case "$(readlink -f "$lib")" in *sdl12-compat*) over_sdl2=1 ;; esac
n=$(stages)
if [ "$over_sdl2" -eq 1 ]; then
    geometry=$(xdotool search --name '^Tomb Slide$' getwindowgeometry | tr -s ' \n' ' ')
    echo "window: $geometry"
    echo "$geometry" | grep -q "Geometry: 1920x1080" || fail "the window does not cover the screen"
    # The picture: 1280x960 at (320, 60), each game pixel a 4x4 block.
    shot "$WORK/screen.png"
    convert "$WORK/screen.png" -crop 1280x960+320+60 +repage "$WORK/picture.png"
    convert "$WORK/picture.png" -sample 320x240 -scale 400% "$WORK/blocks.png"
    off=$(compare -metric AE "$WORK/picture.png" "$WORK/blocks.png" null: 2>&1 || true)
    border=$(convert "$WORK/screen.png" -crop 320x1080+0+0 -format '%[fx:maxima.r+maxima.g+maxima.b]' info:)
    echo "picture: $off pixels off 4x4 blocks; left border brightest $border"
    [ "$off" = 0 ] || fail "the picture is not scaled 4 times pixel for pixel ($off)"
    [ "$border" = 0 ] || fail "the picture is not centred: something left of it"
    # The next button's middle, (89, 225), on screen.
    xdotool mousemove $((320 + 4 * 89)) $((60 + 4 * 225)) click 1
    n=$((n + 1))
    wait_stages "$n"
fi
xdotool key Right
n=$((n + 1))
wait_stages "$n"
xdotool key BackSpace
n=$((n + 1))
wait_stages "$n"
xdotool key Escape
finish
[ -f save.dat ] || fail "no save.dat after Escape"
echo "e2e desktop passed"
