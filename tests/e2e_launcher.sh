#!/usr/bin/env bash
# End to end: the installed launcher (cmake --install into a prefix of its
# own, as make install and the package lay it out) meeting what a desktop can
# lack, each failure reaching the player's terminal in one line:
#   - its options: --help, --version, a wrong one;
#   - no display: SDL falls back to its offscreen driver (the classic
#     library: to text on the terminal), which is refused: status 1, save.dat
#     neither read nor written;
#   - the offscreen driver asked for by name plays, and SIGTERM ends it with
#     its save written and status 0, not a crash; last-run.log stays within
#     its limit, holding the newest trace (the classic library, which has no
#     offscreen driver, plays on its dummy driver);
#   - no sound device: the game plays silent;
#   - --window and --scale under Xvfb: a framed window of the whole-number
#     scale, found by its class, whose quit button works where it appears
#     (over SDL 2 only; the classic library's window is only found);
#   - two copies in one data folder: the second says "Tomb Slide is already
#     running", ends with status 1 and leaves save.dat alone; a copy killed
#     outright leaves no lock behind;
#   - an unwritable last-run.log: the game starts without it;
#   - a data folder the player cannot write: refused before the game starts;
#     one that turns read-only during play: the failed save is shown and the
#     status is 2.
#   bash tests/e2e_launcher.sh <path to tombslide> <source dir>
set -euo pipefail

GAME=$(realpath "$1")
SRC=$(realpath "$2")
BUILD=$(dirname "$GAME")
source "$SRC/tests/xplay.sh"
chmod 755 "$WORK" # the player without root below must reach the prefix
trap 'chmod -R u+w "$WORK" 2>/dev/null; cleanup' EXIT
P=$WORK/prefix
cmake --install "$BUILD" --prefix "$P" >"$WORK/install.log" || fail "cmake --install"
TERM_OUT=$WORK/terminal.txt
LOG=$WORK/home/tombslide/last-run.log
DATA=$WORK/home/tombslide
unset SDL_VIDEODRIVER SDL_AUDIODRIVER DISPLAY WAYLAND_DISPLAY
export XDG_DATA_HOME=$WORK/home
# The library the game loads: the compatibility layer over SDL 2, or the
# classic SDL 1.2 (make test-classic).
over_sdl2=0
lib=$(ldd "$GAME" | awk '/libSDL-1\.2/ { print $3 }')
case "$(readlink -f "$lib")" in *sdl12-compat*) over_sdl2=1 ;; esac
HIDDEN=dummy
[ "$over_sdl2" = 1 ] && HIDDEN=offscreen

# Runs the launcher with the given environment and options in the
# background; TPID is its process.
start() {
    rm -f "$LOG"
    env "$@" "$P/games/tombslide" $OPTS >"$TERM_OUT" 2>&1 &
    TPID=$!
}
OPTS=""
# Runs it to its end; prints its status.
run() {
    local status=0
    env "$@" timeout 60 "$P/games/tombslide" $OPTS >"$TERM_OUT" 2>&1 || status=$?
    echo "$status"
}
# Waits for a line matching the pattern in a file.
wait_for() {
    for _ in $(seq 600); do grep -q "$1" "$2" 2>/dev/null && return 0; sleep 0.05; done
    fail "no '$1' in $2: $(tail -c 300 "$2" 2>/dev/null)"
}
# Waits for the launcher to end; STATUS is its status.
ended() {
    STATUS=0
    for _ in $(seq 600); do kill -0 "$TPID" 2>/dev/null || break; sleep 0.05; done
    kill -0 "$TPID" 2>/dev/null && fail "the launcher did not end"
    wait "$TPID" || STATUS=$?
}
# The terminal held exactly this one line.
only_line() {
    [ "$(cat "$TERM_OUT")" = "$1" ] || fail "expected only '$1' on the terminal, found: $(cat "$TERM_OUT")"
}
stamp() { stat -c '%s %y' "$DATA/save.dat"; }
# Waits until the game's window, found by its class, has the given size (any
# size with the classic library); X and Y are then its position.
window_of_size() {
    local window=""
    for _ in $(seq 300); do
        window=$(xdotool search --class '^tombslide$' | head -n 1)
        if [ -n "$window" ]; then
            eval "$(xdotool getwindowgeometry --shell "$window")"
            [ "${WIDTH}x${HEIGHT}" = "$1" ] || [ "$over_sdl2" = 0 ] && return 0
        fi
        sleep 0.1
    done
    fail "no window of class tombslide of $1 (last: ${WIDTH:-}x${HEIGHT:-})"
}

# --- Options.
OPTS=--help
[ "$(run)" = 0 ] && grep -q -- "--window" "$TERM_OUT" || fail "--help"
OPTS=--version
[ "$(run)" = 0 ] && grep -q "^Tomb Slide [0-9]" "$TERM_OUT" || fail "--version"
OPTS=--fullscreen-please
[ "$(run)" = 1 ] || fail "a wrong option was taken"
OPTS=""

# --- No display: refused, before save.dat is read or written.
mkdir -p "$DATA"
printf 'not a save file' >"$DATA/save.dat"
touch -d '2001-01-01 00:00' "$DATA/save.dat"
before=$(stamp)
[ "$(run SDL_AUDIODRIVER=dummy)" = 1 ] || fail "no display: status $(run SDL_AUDIODRIVER=dummy)"
only_line "Unable to open a display: no X11 or Wayland display was found (check DISPLAY)"
[ "$(stamp)" = "$before" ] || fail "save.dat changed without a display"
grep -q "LoadGame" "$LOG" && fail "save.dat was read without a display"
rm "$DATA/save.dat"

# --- The offscreen driver by name, ended by SIGTERM; the log's limit.
start SDL_VIDEODRIVER=$HIDDEN SDL_AUDIODRIVER=dummy TOMBSLIDE_LOG_LIMIT=3000
# The log has been cut once the first lines of the run are gone from it.
for _ in $(seq 1200); do
    grep -q DrawScore "$LOG" 2>/dev/null && ! grep -q "^main$" "$LOG" && break
    sleep 0.05
done
grep -q "^main$" "$LOG" && fail "last-run.log was not cut at its limit"
kill -TERM "$TPID"
ended
[ "$STATUS" = 0 ] || fail "the $HIDDEN game ended with status $STATUS after SIGTERM"
[ "$(stat -c %s "$DATA/save.dat")" = 559 ] || fail "no fresh save.dat after SIGTERM"
size=$(stat -c %s "$LOG")
echo "last-run.log: $size bytes at a limit of 3000"
[ "$size" -le 3000 ] || fail "last-run.log holds $size bytes"
tail -n 1 "$LOG" | grep -q '^Draw' || fail "the log's end is not the newest trace"
[ -s "$TERM_OUT" ] && fail "the terminal showed: $(cat "$TERM_OUT")"

# --- Under Xvfb: no sound device, a window at the largest scale, a second
# copy refused, the quit button where the window shows it.
start_display 1920x1080
export DISPLAY
OPTS=--window
start SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/no/such/dir/sound.raw"
wait_for DrawScore "$LOG"
wait_for "playing without sound" "$TERM_OUT"
first=$TPID
window_of_size 1280x960
echo "--window on 1920x1080: ${WIDTH}x${HEIGHT} at $X,$Y"
before=$(stamp)
OPTS=""
[ "$(run SDL_AUDIODRIVER=dummy)" = 1 ] || fail "a second copy did not end with status 1"
only_line "Tomb Slide is already running"
[ "$(stamp)" = "$before" ] || fail "the second copy touched save.dat"
TPID=$first
if [ "$over_sdl2" = 1 ]; then
    xdotool mousemove $((X + 4 * 238)) $((Y + 4 * 225)) click 1 # quit
else
    kill -TERM "$TPID"
fi
ended
[ "$STATUS" = 0 ] || fail "the windowed game ended with status $STATUS"
[ "$(stamp)" != "$before" ] || fail "the windowed game did not save"

# --- --scale 2; a copy killed outright leaves no lock behind.
OPTS="--scale 2"
start SDL_AUDIODRIVER=dummy
wait_for DrawScore "$LOG"
window_of_size 640x480
pkill -KILL -P "$TPID" -x tombslide || fail "no game under the launcher"
ended
OPTS=""
start SDL_AUDIODRIVER=dummy
wait_for DrawScore "$LOG"
kill -TERM "$TPID"
ended
[ "$STATUS" = 0 ] || fail "the copy after a killed one ended with status $STATUS"

# --- An unwritable last-run.log: said, and the game starts without it.
rm "$LOG" && mkdir "$LOG"
[ "$(run SDL_VIDEODRIVER=no-such-driver SDL_AUDIODRIVER=dummy)" = 1 ] || fail "status without a log"
grep -q "^Tomb Slide: cannot write .*last-run.log; playing without it$" "$TERM_OUT" &&
    grep -q "^Unable to set 320x240 video: " "$TERM_OUT" || fail "without a log: $(cat "$TERM_OUT")"
rmdir "$LOG"

# --- A data folder the player cannot write to. Root writes anywhere, so the
# player here is nobody.
as_player=()
if [ "$(id -u)" -eq 0 ]; then
    as_player=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    chown -R 65534:65534 "$WORK/home"
fi
chmod 555 "$DATA"
before=$(stamp)
[ "$(run "${as_player[@]}" env SDL_AUDIODRIVER=dummy)" = 1 ] || fail "a read-only data folder was played in"
only_line "Tomb Slide: cannot write to the data folder $DATA: progress could not be saved"
[ "$(stamp)" = "$before" ] || fail "save.dat changed in the read-only folder"
# Read-only only once the game plays: its failed save reaches the terminal.
chmod 755 "$DATA"
start "${as_player[@]}" env SDL_AUDIODRIVER=dummy
wait_for DrawScore "$LOG"
chmod 555 "$DATA"
kill -TERM "$TPID"
ended
[ "$STATUS" = 2 ] || fail "a failed save ended with status $STATUS, not 2"
grep -q "^Unable to write save.dat: " "$TERM_OUT" || fail "the failed save was not shown: $(cat "$TERM_OUT")"
chmod 755 "$DATA"
echo "e2e launcher passed"
