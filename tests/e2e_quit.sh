#!/usr/bin/env bash
# End to end without a display: the real game on SDL's dummy video driver, in
# a fresh folder holding only drag.wav, left to tick for a few seconds, then
# told to stop with SIGTERM, which SDL turns into the quit event. It must end
# with status 0 having written the fresh save.dat of stage 0.
#   bash tests/e2e_quit.sh <path to tombslide> <source dir> [emulator ...]
# With an emulator (qemu-arm ... -L SYSROOT) the game runs under it, and must
# have loaded the classic SDL 1.2.15 from the sysroot.
#
# The sound goes to SDL's disk driver: its file appears once the game has
# opened the audio, after SDL's start-up (which sets up the SIGTERM handling),
# so the script can wait for that however slow the machine, instead of
# guessing a time.
set -euo pipefail

GAME=$(realpath "$1")
SRC=$(realpath "$2")
shift 2
RUNNER=("$@")

WORK=$(mktemp -d /tmp/tombslide-quit-XXXXXX)
GPID=""
cleanup() {
    [ -n "$GPID" ] && kill -KILL "$GPID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
    echo "e2e_quit FAILED: $*"
    [ -f "$WORK/run.log" ] && tail -c 2000 "$WORK/run.log" && echo
    exit 1
}

mkdir "$WORK/game"
cp "$SRC/assets/drag.wav" "$WORK/game/"
cd "$WORK/game"
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/sound.raw" \
    "${RUNNER[@]}" "$GAME" >"$WORK/run.log" 2>&1 &
GPID=$!

for _ in $(seq 600); do
    [ -e "$WORK/sound.raw" ] && break
    kill -0 "$GPID" 2>/dev/null || fail "the game ended before opening its audio"
    sleep 0.1
done
[ -e "$WORK/sound.raw" ] || fail "the game opened no audio in 60 s"
# A few seconds of ticks (ten a second). Its output goes to a file, fully
# buffered, so it is read once the game has ended.
for _ in $(seq 30); do
    kill -0 "$GPID" 2>/dev/null || fail "the game ended by itself"
    sleep 0.1
done

# Under the emulator the guest's libraries are mapped by the emulator's own
# process: the classic library's file is there, the sysroot's.
if [ ${#RUNNER[@]} -gt 0 ]; then
    sdl=$(grep -o '/[^ ]*/libSDL-1\.2\.so[^ ]*' "/proc/$GPID/maps" | sort -u)
    echo "SDL 1.2 loaded from: $sdl"
    case "$sdl" in
    */usr/lib/arm-linux-gnueabi/libSDL-1.2.so.0.11.4) ;;
    *) fail "not the classic SDL 1.2.15 (libSDL-1.2.so.0.11.4): $sdl" ;;
    esac
fi

kill -TERM "$GPID"
status=0
for _ in $(seq 300); do kill -0 "$GPID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$GPID" 2>/dev/null && fail "the game did not end within 30 s of SIGTERM"
wait "$GPID" || status=$?
GPID=""
[ "$status" -eq 0 ] || fail "the game ended with status $status"
grep -q "Unable" "$WORK/run.log" && fail "an error was reported"
grep -q "InitStage" "$WORK/run.log" || fail "stage 0 was not laid out"
grep -q "DrawScore" "$WORK/run.log" || fail "the game drew no frame"
[ -s "$WORK/sound.raw" ] || fail "the mixer wrote no sound"

# The fresh save of stage 0, as the game's own reader (tools/savedump) reads
# it: its five blocks, no moves, score 0, nothing cleared, no best move.
[ -f save.dat ] || fail "no save.dat"
read -r -a SAVEDUMP <<<"${TOMBSLIDE_SAVEDUMP:?the command that runs tools/savedump}"
dump=$("${SAVEDUMP[@]}" save.dat | grep -v '^block ' | tr '\n' ' ')
[ "$dump" = "size 559 read board stage 0 moves 0 score 0 blocks 5 cleared none best none extension no " ] ||
    fail "save.dat is not the fresh save of stage 0: $dump"
left=$(ls -A | tr '\n' ' ')
[ "$left" = "drag.wav save.dat " ] || fail "the folder holds: $left"
echo "e2e_quit passed: the fresh save.dat"
