#!/usr/bin/env bash
# End to end: the real game under Xvfb, played with xdotool as a player would.
#   bash tests/e2e_play.sh <path to tombslide> <source dir>
# Solves stage 0 in its seven moves, looks for the Stage Clear banner in a
# screenshot, touches to go on, quits with the quit button, checks save.dat,
# then starts again and looks for the resumed board. Also checks that a game
# whose audio cannot open says so and plays silent. Helpers: xplay.sh.
set -euo pipefail

GAME=$(realpath "$1")
SRC=$(realpath "$2")
source "$SRC/tests/xplay.sh"
started=$SECONDS

# --- A desktop game whose audio cannot open says so in one line and plays
# silent; SIGTERM then ends it with its save written.
mkdir "$WORK/noaudio"
cp "$SRC/assets/drag.wav" "$WORK/noaudio/"
(cd "$WORK/noaudio" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk \
    SDL_DISKAUDIOFILE="$WORK/no/such/dir/out.raw" exec "$GAME" >out.txt 2>&1) &
GPID=$!
for _ in $(seq 600); do grep -q "DrawScore" "$WORK/noaudio/out.txt" && break; sleep 0.05; done
grep -q "DrawScore" "$WORK/noaudio/out.txt" || fail "the game without audio drew no frame"
[ "$(grep -c "Unable to open audio: .*; playing without sound" "$WORK/noaudio/out.txt")" = 1 ] ||
    fail "no single line on the missing audio"
kill -TERM "$GPID"
finish
[ -s "$WORK/noaudio/save.dat" ] || fail "the silent game wrote no save.dat"

start_display

export SDL_AUDIODRIVER=dummy
export SDL_MOUSE_RELATIVE_MODE_WARP=1
cp "$SRC/assets/drag.wav" "$WORK/"
cd "$WORK"

# CPU time (clock ticks) the game has used so far.
cpu() { awk '{ print $14 + $15 }' "/proc/$GPID/stat"; }

# --- First run: no save.dat, stage 0.
launch
grep -q "InitStage" "$WORK/run.log" || fail "stage 0 was not laid out"
shot "$WORK/stage0.png"

# Left alone, the game waits for events instead of polling for them: over
# two idle seconds it uses well under half a core (ten frames a second).
t0=$(cpu)
sleep 2
used=$(($(cpu) - t0))
hz=$(getconf CLK_TCK)
echo "idle: $used of $((2 * hz)) clock ticks"
[ "$used" -lt "$hz" ] || fail "the idle game kept the processor busy ($used ticks in 2 s)"

drag 0 5 3 5 # bottom triple right
drag 2 4 2 5 # column-2 triple down
drag 0 2 3 2 # target right
drag 2 3 2 2 # column-2 triple back up
drag 3 5 0 5 # bottom triple back left
drag 5 0 5 3 # column-5 triple down
shot "$WORK/before.png"
before=$(banner_misses "$WORK/before.png")
drag 3 2 8 2 # the target out
sleep 0.3
shot "$WORK/clear.png"
after=$(banner_misses "$WORK/clear.png")
echo "banner region: $before pixels off before the clear, $after after"
[ "$before" -gt 3000 ] || fail "the board already looks like the banner ($before)"
[ "$after" -lt 1000 ] || fail "no Stage Clear banner ($after pixels off)"

tap 160 120 # touch to go on: stage 1
sleep 0.4
shot "$WORK/stage1.png"
tap 238 225 # quit
finish
grep -q "Unable" "$WORK/run.log" && fail "an error was reported"

# save.dat, as the game's own reader (tools/savedump) reads it: stage 1's
# fresh board, stage 0 cleared with best 7.
[ -f save.dat ] || fail "no save.dat"
[ "$(save_line save.dat)" = "$(after_stage1)" ] ||
    fail "save.dat is not stage 1's fresh board with stage 0 cleared in 7: $(save_line save.dat)"
cp save.dat first.dat

# --- Second run: the board comes back as it was left.
launch
grep -q "InitStage" "$WORK/run.log" && fail "the saved board was laid out afresh"
shot "$WORK/resumed.png"
same=$(region_diff "$WORK/stage1.png" "$WORK/resumed.png" 320x180+0+30)
other=$(region_diff "$WORK/stage0.png" "$WORK/resumed.png" 320x180+0+30)
echo "resumed board: $same pixels off stage 1 as left, $other off stage 0"
[ "$same" -lt 300 ] || fail "the resumed board is not the one left ($same)"
[ "$other" -gt 3000 ] || fail "the resumed board looks like stage 0 ($other)"
tap 238 225
finish
cmp -s save.dat first.dat || fail "save.dat changed on a run without moves"

echo "e2e passed in $((SECONDS - started)) s"
