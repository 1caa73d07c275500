#!/usr/bin/env bash
# End to end: the real game under Xvfb, played with xdotool as a player would.
#   bash tests/e2e_play.sh <path to tombslide> <source dir>
# Solves stage 0 in its seven moves, looks for the Stage Clear banner in a
# screenshot, touches to go on, quits with the quit button, checks save.dat,
# then starts again and looks for the resumed board. Also checks that a game
# whose audio cannot open says so and ends with status 1.
#
# The pointer: the script drives the pen with relative moves and keeps track
# of where it is, first pushing it into the top-left corner, (0, 0). This
# works whether the game sees the pointer directly (a desktop, where the game
# leaves it visible) or, with SDL_MOUSE_RELATIVE_MODE_WARP=1, through the
# relative mouse mode that SDL 1.2 over SDL 2 uses for a hidden cursor in a
# full-screen mode (the handheld's set-up). Full screen itself needs nothing
# under Xvfb.
set -euo pipefail

GAME=$(realpath "$1")
SRC=$(realpath "$2")
for tool in Xvfb xdotool import convert compare od; do
    command -v "$tool" >/dev/null || { echo "e2e: $tool is missing"; exit 1; }
done

WORK=$(mktemp -d /tmp/tombslide-e2e-XXXXXX)
XPID=""
GPID=""
cleanup() {
    [ -n "$GPID" ] && kill "$GPID" 2>/dev/null || true
    [ -n "$XPID" ] && kill "$XPID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
    echo "e2e FAILED: $*"
    [ -f "$WORK/run.log" ] && tail -c 2000 "$WORK/run.log" | tr '\n' ' ' && echo
    exit 1
}
started=$SECONDS

# --- A game whose audio cannot open says why and ends with status 1, without
# touching save.dat.
mkdir "$WORK/noaudio"
set +e
(cd "$WORK/noaudio" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk \
    SDL_DISKAUDIOFILE="$WORK/no/such/dir/out.raw" timeout 20 "$GAME" >out.txt 2>&1)
status=$?
set -e
[ "$status" -eq 1 ] || fail "failed audio: status $status, expected 1"
grep -q "Unable to open audio: " "$WORK/noaudio/out.txt" || fail "no audio message"
[ ! -e "$WORK/noaudio/save.dat" ] || fail "failed start-up wrote save.dat"

# --- The display. Xvfb picks a free display number itself and writes it to
# the given descriptor once it is ready to take clients. Without -noreset the
# server resets whenever its last client leaves, and a client connecting
# during the reset is refused: the classic SDL 1.2 opens the display twice in
# a row at start-up and would now and then fail to start.
Xvfb -displayfd 3 -screen 0 320x240x24 -nolisten tcp -noreset 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
XPID=$!
for _ in $(seq 100); do grep -q '[0-9]' "$WORK/display" 2>/dev/null && break; sleep 0.05; done
D=$(tr -dc '0-9' <"$WORK/display")
[ -n "$D" ] || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
export DISPLAY=":$D"
xdotool getdisplaygeometry >/dev/null 2>&1 || fail "no display :$D"

export SDL_AUDIODRIVER=dummy
export SDL_MOUSE_RELATIVE_MODE_WARP=1
cp "$SRC/assets/drag.wav" "$WORK/"
cd "$WORK"

PX=0
PY=0
# Moves the pen to (x, y) in steps of at most 15 pixels.
pen() {
    local tx=$1 ty=$2 dx dy
    while [ "$PX" -ne "$tx" ] || [ "$PY" -ne "$ty" ]; do
        dx=$((tx - PX)); dy=$((ty - PY))
        [ "$dx" -gt 15 ] && dx=15; [ "$dx" -lt -15 ] && dx=-15
        [ "$dy" -gt 15 ] && dy=15; [ "$dy" -lt -15 ] && dy=-15
        xdotool mousemove_relative -- "$dx" "$dy"
        PX=$((PX + dx)); PY=$((PY + dy))
        sleep 0.04
    done
}
# Pushes the pen into the top-left corner, where the game holds it at (0, 0).
home() {
    for _ in 1 2 3 4; do xdotool mousemove_relative -- -150 -110; sleep 0.05; done
    PX=0; PY=0
}
centre() { echo $((45 + 30 * $1)); }
# Drags the block under cell (c1, r1) until the pen is over cell (c2, r2),
# then keeps nudging the pen there so that the block, which follows by at
# most one cell per 100 ms tick, catches up; then lifts the pen.
drag() {
    local x1 y1 x2 y2
    x1=$(centre "$1"); y1=$(centre "$2"); x2=$(centre "$3"); y2=$(centre "$4")
    pen "$x1" "$y1"
    xdotool mousedown 1
    sleep 0.05
    pen "$x2" "$y2"
    for _ in 1 2 3 4; do
        sleep 0.13
        xdotool mousemove_relative -- 1 1; sleep 0.02
        xdotool mousemove_relative -- -1 -1
    done
    sleep 0.15
    xdotool mouseup 1
    sleep 0.05
}
tap() {
    pen "$1" "$2"
    xdotool mousedown 1; sleep 0.05; xdotool mouseup 1; sleep 0.1
}
shot() { import -window root "$1"; }
# Pixels of the 320x95 banner region (0, 110) of a screenshot that are not
# what the Stage Clear banner of the image sheet drawn over them would give.
banner_misses() {
    convert "$1" -crop 320x95+0+110 +repage "$WORK/region.png"
    convert "$SRC/assets/image.png" -crop 320x95+0+90 +repage "$WORK/banner.png"
    convert "$WORK/region.png" "$WORK/banner.png" -composite "$WORK/expected.png"
    compare -metric AE -fuzz 12% "$WORK/region.png" "$WORK/expected.png" null: 2>&1 || true
}
# Pixels of the board area (rows 30..209) that differ between two shots.
board_diff() {
    convert "$1" -crop 320x180+0+30 +repage "$WORK/board1.png"
    convert "$2" -crop 320x180+0+30 +repage "$WORK/board2.png"
    compare -metric AE -fuzz 3% "$WORK/board1.png" "$WORK/board2.png" null: 2>&1 || true
}
# Starts the game in the background with its output unbuffered into run.log
# and waits for its first frame.
launch() {
    xdotool mousemove 160 120
    stdbuf -o0 "$GAME" >"$WORK/run.log" 2>&1 &
    GPID=$!
    for _ in $(seq 100); do
        grep -q "DrawScore" "$WORK/run.log" 2>/dev/null && break
        sleep 0.05
    done
    grep -q "DrawScore" "$WORK/run.log" || fail "the game drew no frame"
    sleep 0.3
    home
}
# Waits for the game to end; its status must be 0.
finish() {
    local status=0
    for _ in $(seq 100); do kill -0 "$GPID" 2>/dev/null || break; sleep 0.05; done
    kill -0 "$GPID" 2>/dev/null && fail "the game did not end after quit"
    wait "$GPID" || status=$?
    GPID=""
    [ "$status" -eq 0 ] || fail "the game ended with status $status"
}
bytes() { od -An -tu1 -v "$1" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }

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

# save.dat: stage 1's fresh board, stage 0 cleared with best 7.
expected_save() {
    local cells heads i code x y
    cells=$(sed -n 2p "$SRC/game/stages.inc" | sed 's/}}.*//; s/[{}]//g; s/,/ /g')
    read -r -a heads <<<"$cells"
    local count=0 recs=""
    for i in $(seq 0 35); do
        code=${heads[$i]}
        x=$((i % 6)); y=$((i / 6))
        case "$code" in
        51) recs+=" $x $y 2 1 0"; count=$((count + 1)) ;;
        31) recs+=" $x $y 1 3 1"; count=$((count + 1)) ;;
        11) recs+=" $x $y 1 2 2"; count=$((count + 1)) ;;
        21) recs+=" $x $y 3 1 3"; count=$((count + 1)) ;;
        1) recs+=" $x $y 2 1 4"; count=$((count + 1)) ;;
        esac
    done
    local out="1 0 $count 48 48 48 48 48 48 48$recs 1"
    for _ in $(seq 261); do out+=" 0"; done
    out+=" 7"
    for _ in $(seq 261); do out+=" 99"; done
    echo "$out"
}
[ -f save.dat ] || fail "no save.dat"
[ "$(bytes save.dat)" = "$(expected_save)" ] || fail "save.dat is not stage 1's fresh board with stage 0 cleared in 7: $(bytes save.dat | head -c 200)"
cp save.dat first.dat

# --- Second run: the board comes back as it was left.
launch
grep -q "InitStage" "$WORK/run.log" && fail "the saved board was laid out afresh"
shot "$WORK/resumed.png"
same=$(board_diff "$WORK/stage1.png" "$WORK/resumed.png")
other=$(board_diff "$WORK/stage0.png" "$WORK/resumed.png")
echo "resumed board: $same pixels off stage 1 as left, $other off stage 0"
[ "$same" -lt 300 ] || fail "the resumed board is not the one left ($same)"
[ "$other" -gt 3000 ] || fail "the resumed board looks like stage 0 ($other)"
tap 238 225
finish
cmp -s save.dat first.dat || fail "save.dat changed on a run without moves"

echo "e2e passed in $((SECONDS - started)) s"
