#!/usr/bin/env bash
# The installed game: `cmake --install` (what `make install` and the Debian
# package run) lays out exactly the files listed below, in Debian's places;
# the menu entry and metainfo pass their validators; the launcher runs the
# game in the player's data folder with its trace in last-run.log there.
#   bash tests/e2e_install.sh <path to tombslide> <source dir>
set -euo pipefail

GAME=$(realpath "$1")
SRC=$(realpath "$2")
BUILD=$(dirname "$GAME")
for tool in desktop-file-validate appstreamcli identify; do
    command -v "$tool" >/dev/null || { echo "install: $tool is missing"; exit 1; }
done
WORK=$(mktemp -d /tmp/tombslide-install-XXXXXX)
trap 'rm -rf "$WORK"' EXIT
fail() {
    echo "install FAILED: $*"
    exit 1
}
ID=org.tombslide.TombSlide
SIZES="16 32 48 64 128 256"

# --- DESTDIR and prefix honoured; exactly these files.
DESTDIR="$WORK/root" cmake --install "$BUILD" --prefix /usr >"$WORK/install.log" ||
    fail "cmake --install: $(cat "$WORK/install.log")"
{
    echo ./usr/games/tombslide
    echo ./usr/lib/games/tombslide/tombslide
    echo ./usr/share/games/tombslide/drag.wav
    echo "./usr/share/applications/$ID.desktop"
    echo "./usr/share/metainfo/$ID.metainfo.xml"
    echo ./usr/share/man/man6/tombslide.6
    for s in $SIZES; do echo "./usr/share/icons/hicolor/${s}x${s}/apps/tombslide.png"; done
} | sort >"$WORK/expected"
(cd "$WORK/root" && find . ! -type d | sort) >"$WORK/found"
diff "$WORK/expected" "$WORK/found" || fail "the installed files differ from the list"
R=$WORK/root/usr
[ -x "$R/games/tombslide" ] && [ -x "$R/lib/games/tombslide/tombslide" ] ||
    fail "the launcher or the game is not executable"
cmp -s "$GAME" "$R/lib/games/tombslide/tombslide" || fail "the installed game is not the built one"
cmp -s "$SRC/assets/drag.wav" "$R/share/games/tombslide/drag.wav" || fail "drag.wav differs"
for s in $SIZES; do
    [ "$(identify -format '%wx%h' "$R/share/icons/hicolor/${s}x${s}/apps/tombslide.png")" = "${s}x${s}" ] ||
        fail "the ${s}x${s} icon has another size"
done
grep -q '^Icon=tombslide$' "$R/share/applications/$ID.desktop" || fail "the menu entry names another icon"
grep -q '^Exec=tombslide$' "$R/share/applications/$ID.desktop" || fail "the menu entry runs something else"
desktop-file-validate "$R/share/applications/$ID.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$R/share/metainfo/$ID.metainfo.xml" >"$WORK/as.log" 2>&1 ||
    fail "appstreamcli validate: $(cat "$WORK/as.log")"
# The launcher names the game and sound where the package puts them, not
# where DESTDIR staged them.
grep -q '"/usr/lib/games/tombslide/tombslide"' "$R/games/tombslide" || fail "launcher: game path"
grep -q '"/usr/share/games/tombslide/drag.wav"' "$R/games/tombslide" || fail "launcher: sound path"
grep -q "$WORK" "$R/games/tombslide" && fail "the launcher names the staging folder"

# --- The launcher, installed under a prefix of its own, run without a
# display: the game starts in the data folder, which gets drag.wav, says in
# last-run.log why it stopped, ends with status 1 and writes no save.
P=$WORK/prefix
cmake --install "$BUILD" --prefix "$P" >"$WORK/install2.log" || fail "cmake --install --prefix"
run_launcher() {
    local status=0
    env -u XDG_DATA_HOME HOME="$WORK/home" SDL_VIDEODRIVER=no-such-driver SDL_AUDIODRIVER=dummy \
        "$@" timeout 20 "$P/games/tombslide" >"$WORK/terminal.txt" 2>&1 || status=$?
    echo "$status"
}
[ "$(run_launcher)" = 1 ] || fail "the launcher did not pass on the game's status 1"
DATA=$WORK/home/.local/share/tombslide
cmp -s "$SRC/assets/drag.wav" "$DATA/drag.wav" || fail "drag.wav not copied to $DATA"
grep -q "Unable to set 320x240 video: " "$DATA/last-run.log" || fail "no trace in last-run.log"
# The terminal shows the error lines, and none of the trace.
[ "$(grep -vc "Unable to " "$WORK/terminal.txt")" = 0 ] &&
    grep -q "^Unable to set 320x240 video: " "$WORK/terminal.txt" ||
    fail "the terminal did not show the errors alone: $(cat "$WORK/terminal.txt")"
[ ! -e "$DATA/save.dat" ] || fail "a save was written"

# XDG_DATA_HOME is the data folder's parent when set; a player's own
# drag.wav is kept; the log holds the last run only.
mkdir -p "$WORK/xdg/tombslide"
echo "mine" >"$WORK/xdg/tombslide/drag.wav"
echo "an older run" >"$WORK/xdg/tombslide/last-run.log"
[ "$(run_launcher XDG_DATA_HOME="$WORK/xdg")" = 1 ] || fail "status with XDG_DATA_HOME"
[ "$(cat "$WORK/xdg/tombslide/drag.wav")" = mine ] || fail "the player's drag.wav was replaced"
grep -q "an older run" "$WORK/xdg/tombslide/last-run.log" && fail "last-run.log kept an older run"
grep -q "Unable to set 320x240 video: " "$WORK/xdg/tombslide/last-run.log" ||
    fail "XDG_DATA_HOME was not used"
echo "install passed"
