#!/usr/bin/env bash
# The installed package, played as a player would under Xvfb: the menu's
# command starts the game in a fresh data folder, one drag, the quit button,
# and save.dat holds the dragged board there, beside drag.wav and the log.
#   bash tests/installed_play.sh <source dir>
set -euo pipefail

SRC=$(realpath "$1")
GAME=$(command -v tombslide || echo /usr/games/tombslide)
[ -x "$GAME" ] || { echo "installed: no tombslide command"; exit 1; }
source "$SRC/tests/xplay.sh"
export XDG_DATA_HOME=$WORK/data
DATA=$XDG_DATA_HOME/tombslide
LOG=$DATA/last-run.log

start_display
export SDL_AUDIODRIVER=dummy
export SDL_MOUSE_RELATIVE_MODE_WARP=1
launch
drag 0 5 2 5 # stage 0's bottom triple two cells right
tap 238 225  # quit
finish
[ -f "$DATA/save.dat" ] || fail "no save.dat in $DATA"
# As the game's own reader reads it (tools/savedump, from the build make test made).
savedump "$DATA/save.dat" | grep -qx "block 2 5 3 1 3" || fail "save.dat lacks the dragged triple"
cmp -s "$SRC/assets/drag.wav" "$DATA/drag.wav" || fail "no drag.wav in $DATA"
[ ! -s "$WORK/run.log" ] || fail "the trace went to the terminal"
echo "installed game passed"
