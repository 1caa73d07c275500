# Shared helpers of the end-to-end runs: the real game under Xvfb, played
# with xdotool as a player would. Source it with GAME (the command that
# starts the game) set; it makes the scratch folder WORK and removes it on
# exit. LOG is the file the game's trace goes to (run.log in WORK unless the
# caller names another).
#
# The pointer: the pen is driven with relative moves, keeping track of where
# it is, first pushing it into the top-left corner, (0, 0). This works whether
# the game sees the pointer directly (a desktop, where the game leaves it
# visible) or, with SDL_MOUSE_RELATIVE_MODE_WARP=1, through the relative
# mouse mode that SDL 1.2 over SDL 2 uses for a hidden cursor in a full-screen
# mode (the handheld's set-up). Full screen itself needs nothing under Xvfb.

for tool in Xvfb xdotool import convert compare od; do
    command -v "$tool" >/dev/null || { echo "e2e: $tool is missing"; exit 1; }
done

WORK=$(mktemp -d /tmp/tombslide-e2e-XXXXXX)
LOG=${LOG:-$WORK/run.log}
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
    [ -f "$LOG" ] && tail -c 2000 "$LOG" | tr '\n' ' ' && echo
    exit 1
}

# Starts Xvfb with a screen of the given size (default 320x240) and points
# DISPLAY at it. Xvfb picks a free display number itself and writes it to
# the given descriptor once it is ready to take clients. Without -noreset the
# server resets whenever its last client leaves, and a client connecting
# during the reset is refused: the classic SDL 1.2 opens the display twice in
# a row at start-up and would now and then fail to start.
start_display() {
    Xvfb -displayfd 3 -screen 0 "${1:-320x240}x24" -nolisten tcp -noreset 3>"$WORK/display" \
        >"$WORK/xvfb.log" 2>&1 &
    XPID=$!
    for _ in $(seq 100); do grep -q '[0-9]' "$WORK/display" 2>/dev/null && break; sleep 0.05; done
    D=$(tr -dc '0-9' <"$WORK/display")
    [ -n "$D" ] || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
    export DISPLAY=":$D"
    xdotool getdisplaygeometry >/dev/null 2>&1 || fail "no display :$D"
}

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
# Pixels that differ between two shots inside a crop (WxH+X+Y).
region_diff() { # shot, shot, crop
    convert "$1" -crop "$3" +repage "$WORK/diff1.png"
    convert "$2" -crop "$3" +repage "$WORK/diff2.png"
    compare -metric AE -fuzz 3% "$WORK/diff1.png" "$WORK/diff2.png" null: 2>&1 || true
}
# Starts the game in the background with its output unbuffered and waits for
# its first frame.
launch() {
    xdotool mousemove 160 120
    rm -f "$LOG"
    stdbuf -o0 "$GAME" >"$WORK/run.log" 2>&1 &
    GPID=$!
    # Generous deadlines: a machine busy with builds starts and ends slowly.
    for _ in $(seq 600); do
        grep -q "DrawScore" "$LOG" 2>/dev/null && break
        sleep 0.05
    done
    grep -q "DrawScore" "$LOG" 2>/dev/null || fail "the game drew no frame"
    sleep 0.3
    home
}
# Waits for the game to end; its status must be 0.
finish() {
    local status=0
    for _ in $(seq 600); do kill -0 "$GPID" 2>/dev/null || break; sleep 0.05; done
    kill -0 "$GPID" 2>/dev/null && fail "the game did not end"
    wait "$GPID" || status=$?
    GPID=""
    [ "$status" -eq 0 ] || fail "the game ended with status $status"
}
# The game's own reader of save files (tools/savedump), through the command
# TOMBSLIDE_SAVEDUMP names (the test runner sets it), else the build's.
savedump() {
    local cmd
    read -r -a cmd <<<"${TOMBSLIDE_SAVEDUMP:-$SRC/build/tools/savedump/savedump}"
    "${cmd[@]}" "$@"
}
# A save file as savedump reads it, on one line, its size left out.
save_line() { savedump "$1" | grep -v '^size ' | tr '\n' ' '; }
# That line for the save the plays leave: stage 2's fresh board (as the game
# lays it out), stage 1 cleared with best 7.
after_stage1() {
    echo "read board stage 1 moves 0 score 0 $(savedump --stage 2 | tr '\n' ' ')cleared 0 best 0:7 extension no "
}
