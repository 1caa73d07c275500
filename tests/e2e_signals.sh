#!/usr/bin/env bash
# End to end: how the real game ends.
#   bash tests/e2e_signals.sh <path to tombslide> <source dir>
# Without a display it says so and ends at once with status 1, having read
# and written nothing. Under Xvfb, after one drag, a hang-up (SIGHUP) ends it
# as the quit event does: the loop ends and save.dat holds the dragged board;
# SIGTERM does the same on the resumed game.
set -euo pipefail

GAME=$(realpath "$1")
SRC=$(realpath "$2")
source "$SRC/tests/xplay.sh"
export SDL_AUDIODRIVER=dummy

# --- No display: a video driver that does not exist. A save file left there
# must be neither read nor rewritten.
mkdir "$WORK/nodisplay"
cp "$SRC/assets/drag.wav" "$WORK/nodisplay/"
printf 'not a save file' >"$WORK/nodisplay/save.dat"
touch -d '2001-01-01 00:00' "$WORK/nodisplay/save.dat"
before=$(ls -l --time-style=full-iso "$WORK/nodisplay")
set +e
(cd "$WORK/nodisplay" && SDL_VIDEODRIVER=no-such-driver timeout 20 "$GAME" >"$WORK/nodisplay.txt" 2>&1)
status=$?
set -e
LOG=$WORK/nodisplay.txt
[ "$status" -eq 1 ] || fail "without a display: status $status, expected 1"
grep -q "Unable to set 320x240 video: " "$LOG" || fail "no video message"
grep -q "LoadGame" "$LOG" && fail "save.dat was loaded without a display"
[ "$(ls -l --time-style=full-iso "$WORK/nodisplay")" = "$before" ] ||
    fail "the folder changed: $(ls -l "$WORK/nodisplay")"

# --- A hang-up, then SIGTERM, each ending a game with a display.
LOG=$WORK/run.log
start_display
export SDL_MOUSE_RELATIVE_MODE_WARP=1
cp "$SRC/assets/drag.wav" "$WORK/"
cd "$WORK"
# One block of save.dat's board (x y w h kind), as tools/savedump reads it.
dump() { savedump save.dat; }
has_block() { dump | grep -qx "block $1"; }

launch
drag 0 5 2 5 # stage 0's bottom triple two cells right
kill -HUP "$GPID"
finish
[ -f save.dat ] || fail "no save.dat after SIGHUP"
has_block "2 5 3 1 3" || fail "save.dat lacks the dragged triple: $(dump | tr "\\n" " ")"

launch
grep -q "InitStage" "$LOG" && fail "the board saved at the hang-up was laid out afresh"
drag 2 5 1 5
kill -TERM "$GPID"
finish
has_block "1 5 3 1 3" || fail "save.dat lacks the triple dragged back: $(dump | tr "\\n" " ")"
echo "e2e signals passed"
