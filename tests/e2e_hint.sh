#!/usr/bin/env bash
# End to end: hints and undo in the real game under Xvfb, with the keys.
#   bash tests/e2e_hint.sh <path to tombslide> <source dir>
# Stage 1 cleared by H alone: six presses leave it unsolved, the seventh
# brings the Stage Clear banner. On stage 2 a drag then U, and a drag then
# Ctrl+Z, each give back the start board and count. Quit; save.dat holds
# stage 2's fresh board with no moves, and stage 1 cleared with best 7.
# Helpers: xplay.sh.
set -euo pipefail

GAME=$(realpath "$1")
SRC=$(realpath "$2")
source "$SRC/tests/xplay.sh"
started=$SECONDS

start_display
export SDL_AUDIODRIVER=dummy
export SDL_MOUSE_RELATIVE_MODE_WARP=1
cp "$SRC/assets/drag.wav" "$WORK/"
cd "$WORK"

# The board and the move count (rows 0..209; the maker's mark sits below).
BOARD_AND_COUNT=320x210+0+0
# Presses a key and gives the game time to play what it asked for (a hint
# slides one cell per 100 ms tick, at most four cells).
press() {
    xdotool key "$1"
    sleep 0.9
}

launch
shot "$WORK/start.png"
for _ in 1 2 3 4 5 6; do press h; done
shot "$WORK/six.png"
six=$(banner_misses "$WORK/six.png")
moved=$(region_diff "$WORK/start.png" "$WORK/six.png" $BOARD_AND_COUNT)
echo "after six hints: the board $moved pixels off the start, banner region $six off"
[ "$moved" -gt 3000 ] || fail "six hints moved nothing ($moved)"
[ "$six" -gt 3000 ] || fail "six hints already cleared stage 1 ($six)"
press h
shot "$WORK/seven.png"
seven=$(banner_misses "$WORK/seven.png")
echo "after seven hints: banner region $seven pixels off"
[ "$seven" -lt 1000 ] || fail "seven hints did not clear stage 1 ($seven)"

tap 160 120 # touch to go on: stage 2
sleep 0.5
shot "$WORK/stage2.png"
for undo in u ctrl+z; do
    drag 5 2 5 0 # the pair in column 5 up two cells
    sleep 0.3
    shot "$WORK/dragged.png"
    off=$(region_diff "$WORK/stage2.png" "$WORK/dragged.png" $BOARD_AND_COUNT)
    [ "$off" -gt 1000 ] || fail "the drag moved nothing ($off)"
    press "$undo"
    shot "$WORK/undone.png"
    back=$(region_diff "$WORK/stage2.png" "$WORK/undone.png" $BOARD_AND_COUNT)
    echo "$undo: the drag $off pixels off the start board, after $undo $back"
    [ "$back" -lt 100 ] || fail "$undo did not give back the start board ($back)"
done
tap 238 225 # quit
finish
grep -q "Unable" "$WORK/run.log" && fail "an error was reported"

# save.dat: stage 2's fresh board, and stage 1 cleared with best 7.
[ -f save.dat ] || fail "no save.dat"
[ "$(save_line save.dat)" = "$(after_stage1)" ] ||
    fail "save.dat is not stage 2's fresh board with stage 1 cleared in 7: $(save_line save.dat)"

echo "e2e hint passed in $((SECONDS - started)) s"
