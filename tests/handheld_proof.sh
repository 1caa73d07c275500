#!/usr/bin/env bash
# The handheld package under emulation:
#   bash tests/handheld_proof.sh [dist/tombslide-handheld]
# Checks the package's files and licences, and that the binary is a static
# ARMv5TE soft-float program that names no shared library and carries nothing
# of another C library; that the launcher runs the game from its folder and
# starts the menu when the game could not (a crash, a failed start); then runs
# the game under qemu-arm on an ARM926 with SDL's dummy drivers: it must start,
# tick, end on SIGTERM with status 0 and write the 559-byte save.dat of a
# fresh game.
set -euo pipefail
DIST=$(realpath "${1:-dist/tombslide-handheld}")
BIN=$DIST/tombslide
for tool in qemu-arm arm-linux-gnueabi-readelf file script od; do
    command -v "$tool" >/dev/null || { echo "handheld proof: $tool is missing"; exit 1; }
done
WORK=$(mktemp -d /tmp/tombslide-handheld-XXXXXX)
SPID=""
cleanup() {
    [ -n "$SPID" ] && kill "$SPID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT
CHECKS_NAME="handheld proof"
source "$(dirname "$0")/checks.sh"

# --- The file itself.
for f in tombslide tombslide.gpe tombslide.png title.png drag.wav README.txt licences/SOURCES \
    licences/{SDL,SDL_mixer}/COPYING licences/{libpng,zlib}/LICENSE \
    licences/{SDL,SDL_mixer,libpng,zlib,musl}/copyright; do
    check "$f is in the package" test -s "$DIST/$f"
done
# The launcher, started by its path from elsewhere, runs ./tombslide in its own
# folder (a stand-in here that reports where it ran and with what).
mkdir -p "$WORK/launch/card dir" "$WORK/launch/elsewhere"
cp "$DIST/tombslide.gpe" "$WORK/launch/card dir/"
printf '#!/bin/sh\necho "$PWD $*" >"%s"\n' "$WORK/launch/ran" >"$WORK/launch/card dir/tombslide"
chmod +x "$WORK/launch/card dir/tombslide"
(cd "$WORK/launch/elsewhere" && sh "../card dir/tombslide.gpe" one two) || true
check "the launcher runs the game from its own folder" \
    test "$(cat "$WORK/launch/ran" 2>/dev/null)" = "$WORK/launch/card dir one two"
# Whatever way the game ends without handing over itself, the launcher starts
# the menu, from /usr/gp2x: here a copy of the launcher that looks for it in
# a folder of ours, where a stub records that it was reached and from where.
check "the launcher hands over to /usr/gp2x/gp2xmenu" \
    grep -q '^    cd /usr/gp2x && exec ./gp2xmenu$' "$DIST/tombslide.gpe"
mkdir "$WORK/gp2x"
printf '#!/bin/sh\necho "menu in $PWD" >>"%s"\n' "$WORK/menu" >"$WORK/gp2x/gp2xmenu"
chmod +x "$WORK/gp2x/gp2xmenu"
sed "s|/usr/gp2x|$WORK/gp2x|g" "$DIST/tombslide.gpe" >"$WORK/launch/card dir/tombslide.gpe"
launch() { # the game's stand-in, then what the menu stub must have recorded
    rm -f "$WORK/menu"
    printf '#!/bin/sh\n%s\n' "$1" >"$WORK/launch/card dir/tombslide"
    (cd "$WORK/launch/elsewhere" && sh "../card dir/tombslide.gpe") >/dev/null 2>&1 || true
    test "$(cat "$WORK/menu" 2>/dev/null)" = "$2"
}
check "a game that ended well is not followed by the menu" launch "exit 0" ""
check "a crashed game is followed by the menu" launch 'kill -SEGV $$' "menu in $WORK/gp2x"
# The real game under qemu-arm, failing to start: no video driver it can use.
# (Not the sound: without a sound device the game plays on silently.)
check "a game that cannot start is followed by the menu" launch \
    "SDL_VIDEODRIVER=nosuch SDL_AUDIODRIVER=dummy timeout -s KILL 120 qemu-arm -cpu arm926 '$BIN'
s=\$?; echo \$s >'$WORK/status'; exit \$s" "menu in $WORK/gp2x"
check "... and it ended with status 1" test "$(cat "$WORK/status" 2>/dev/null)" = 1
# A SIGTERM for the launcher reaches the game (a stand-in that records it and
# ends as the game does then, with status 0 after handing over itself).
cat >"$WORK/launch/card dir/tombslide" <<STANDIN
#!/bin/sh
trap 'echo TERM >"$WORK/term"; exit 0' TERM
echo up >"$WORK/up"
for i in \$(seq 600); do sleep 0.1; done # a minute at most
STANDIN
rm -f "$WORK/menu"
(cd "$WORK/launch/elsewhere" && exec sh "../card dir/tombslide.gpe") &
LPID=$!
for _ in $(seq 600); do [ -f "$WORK/up" ] && break; sleep 0.1; done
kill -TERM "$LPID"
for _ in $(seq 600); do kill -0 "$LPID" 2>/dev/null || break; sleep 0.1; done
check "a SIGTERM for the launcher is passed on to the game" test "$(cat "$WORK/term" 2>/dev/null)" = TERM
check "... which ended the launcher, without the menu" sh -c "! kill -0 $LPID 2>/dev/null && test ! -f '$WORK/menu'"
kill -KILL "$LPID" 2>/dev/null || true
check "the icon is a small picture" sh -c "file '$DIST/tombslide.png' | grep -q 'PNG image data, 32 x 32'"
check "file says static ARM" sh -c "file '$BIN' | grep -q 'ELF 32-bit LSB executable, ARM, EABI5.*statically linked'"
arm-linux-gnueabi-readelf -d "$BIN" >"$WORK/dynamic" 2>&1 || true
check "no dynamic section" grep -q "no dynamic section" "$WORK/dynamic"
check "no program interpreter" sh -c "! arm-linux-gnueabi-readelf -l '$BIN' | grep -q INTERP"
arm-linux-gnueabi-readelf -A "$BIN" >"$WORK/attributes"
check "built for ARMv5TE" grep -Eq "Tag_CPU_arch: v5TEJ?$" "$WORK/attributes"
check "soft float: no FP instructions or registers" sh -c \
    "! grep -Eq 'Tag_FP_arch|Tag_ABI_HardFP_use|Tag_ABI_VFP_args' '$WORK/attributes'"
check "no glibc symbol versions or ABI note" sh -c \
    "! grep -aq 'GLIBC_2' '$BIN' && ! arm-linux-gnueabi-readelf -n '$BIN' | grep -q 'NT_GNU_ABI_TAG'"

# --- A run: start, tick, SIGTERM, save. The game writes its trace to stdout,
# which a terminal keeps line-buffered, so script(1) gives it one and the
# trace can be followed while the game runs.
mkdir "$WORK/card"
cp "$DIST/drag.wav" "$WORK/card/"
cat >"$WORK/run.sh" <<EOF
cd "$WORK/card"
exec env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy qemu-arm -cpu arm926 "$BIN"
EOF
# script runs the command through $SHELL, or sh when that is unset; exec
# makes the game that shell's own process, the child of script that the
# SIGTERM below is for, whichever shell it is.
script -qefc "exec bash '$WORK/run.sh'" "$WORK/trace" >/dev/null 2>&1 </dev/null &
SPID=$!
game_pid() { cat "/proc/$SPID/task/$SPID/children" 2>/dev/null | awk '{print $1}'; }
ticks() { # 0 too before script has made the file
    local n
    n=$(grep -c DrawBest "$WORK/trace" 2>/dev/null) || true
    echo "${n:-0}"
}
# Twenty ticks of the 100 ms frame timer; the deadline is generous for slow
# emulation on a busy machine.
for _ in $(seq 1200); do
    [ "$(ticks)" -ge 20 ] && break
    kill -0 "$SPID" 2>/dev/null || break
    sleep 0.1
done
check "started: the trace says so" grep -q "Init Success" "$WORK/trace"
check "the embedded pictures decode" sh -c "! grep -q 'Unable to' '$WORK/trace'"
check "the frame timer ticks (20 ticks)" test "$(ticks)" -ge 20
GPID=$(game_pid)
check "the game is still running" test -n "$GPID"
[ -n "$GPID" ] && kill -TERM "$GPID"
status=0
wait "$SPID" || status=$?
SPID=""
check "ends with status 0 on SIGTERM" test "$status" -eq 0
SAVE=$WORK/card/save.dat
# Stage 0 with its five blocks, no moves, score 0, nothing cleared and no best
# count, as the game's own reader (tools/savedump, built for the handheld) reads it.
read -r -a SAVEDUMP <<<"${TOMBSLIDE_SAVEDUMP:?the command that runs tools/savedump}"
"${SAVEDUMP[@]}" "$SAVE" >"$WORK/dump" 2>&1 || true
dumped() { test "$(grep -E "^($1) " "$WORK/dump" 2>/dev/null | tr '\n' ' ')" = "$2"; }
check "save.dat holds 559 bytes" dumped size "size 559 "
check "stage 0, no moves, 5 blocks" dumped 'read|stage|moves|blocks' "read board stage 0 moves 0 blocks 5 "
check "score 0000000" dumped score "score 0 "
check "no stage cleared" dumped cleared "cleared none "
check "best counts 99" dumped best "best none "
echo "handheld: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
