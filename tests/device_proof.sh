#!/usr/bin/env bash
# The handheld package on a real ARM926 Linux kernel, in a system emulation:
#   bash tests/device_proof.sh [ZIP [BUILD]]
#     ZIP    the package for the card's game folder (dist/tombslide-caanoo.zip)
#     BUILD  the desktop build holding tools/snapshot/snapshot (build)
# The emulated board (qemu-system-arm -M versatilepb -cpu arm926) boots our
# Linux 6.1 (handheld/emu/kernel.sh, cached in /var/cache/tombslide) with a
# 320x240 framebuffer, a FAT memory card whose game folder holds ZIP unpacked,
# and a busybox initramfs (handheld/emu/image.sh). Inside, tsplay plays the
# scripts of handheld/emu/guest on a virtual touch panel and button pad and
# reports on the serial console; each script starts the game as the device's
# game list does, from tombslide.ini (guest/gamelist). This script answers,
# takes the screen through QEMU's monitor and checks:
#   - the .ini names the game "Tomb Slide" and an existing .gpe, icon and
#     title picture, in plain ASCII;
#   - the first frame equals, as RGB565 values, the snapshot tool's frame of
#     stage 1 drawn through the classic SDL 1.2;
#   - stage 1 solved with the pen alone in 7 moves (the clear screen, with its
#     move count, equals the snapshot tool's), also with noise on the panel;
#   - a touch starts stage 2, R goes to 3, L back to 2, I restarts a moved
#     board, Home ends the game; I in the stage-clear pause plays the cleared
#     stage again (its best count now shown), and R then goes on;
#   - save.dat on the card holds exactly the expected bytes;
#   - the menu stub is reached after Home, SIGTERM and a start without a
#     framebuffer, through the launcher; without /dev/dsp the game plays silent;
#   - the framebuffer keeps the depth it booted with, while and after the
#     game runs; at 32 bits the game runs under fbfixed, which ends it at any
#     request to set the framebuffer's mode (this board's driver would keep
#     its depth and report success).
# The first boot, at 16 bits a pixel, plays the scripts with a panel and pad
# that report as the handheld's own drivers do ("pollux ts", "pollux-analog");
# again so on a kernel whose system calls newer than 2.6.24's answer ENOSYS,
# without a pointercal and with the panel named in TSLIB_TSDEVICE; and with a
# generic panel and pad. The second boot, at 32 bits a pixel, plays the game
# with the handheld's panel and pad as it is, without the console's device
# nodes (/dev/tty*), and with /dev/dsp held open by another program.
set -euo pipefail
SRC=$(cd "$(dirname "$0")/.." && pwd)
ZIP=$(realpath "${1:-dist/tombslide-caanoo.zip}")
BUILD=$(realpath "${2:-build}")
CACHE=${TOMBSLIDE_CACHE:-/var/cache/tombslide}
SNAPSHOT=$BUILD/tools/snapshot/snapshot
SAVEDUMP=$BUILD/tools/savedump/savedump
started=$SECONDS
for tool in qemu-system-arm arm-linux-gnueabi-gcc mkfs.vfat mcopy cpio convert identify cc od flock \
    unzip; do
    command -v "$tool" >/dev/null || { echo "device proof: $tool is missing"; exit 1; }
done
for tool in "$SNAPSHOT" "$SAVEDUMP"; do
    [ -x "$tool" ] || { echo "device proof: no $tool"; exit 1; }
done
[ -f "$ZIP" ] || { echo "device proof: no package $ZIP"; exit 1; }

WORK=$(mktemp -d /tmp/tombslide-device-XXXXXX)
QPID=""
MPID=""
cleanup() {
    [ -n "$QPID" ] && kill "$QPID" 2>/dev/null || true
    [ -n "$MPID" ] && kill "$MPID" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT
KEEP=$BUILD/device-proof # what a failed check leaves for a look
rm -rf "$KEEP"
CHECKS_NAME="device proof" CHECKS_VERBOSE=1
source "$SRC/tests/checks.sh"
keep() { mkdir -p "$KEEP" && cp "$@" "$KEEP/"; }

# --- The kernel (cached), the root file system and the card.
t0=$SECONDS
KDIR=${TOMBSLIDE_KERNEL_DIR:-$(bash "$SRC/handheld/emu/kernel.sh" "$CACHE")}
echo "device proof: kernel $KDIR ($((SECONDS - t0)) s)"
bash "$SRC/handheld/emu/image.sh" "$WORK/img" "$ZIP" "$CACHE"
cc -O2 -Wall -Wextra -o "$WORK/rgb565diff" "$SRC/handheld/emu/rgb565diff.c"

# --- What the game list shows, from the zip: the .ini in plain ASCII (the
# list draws nothing else), the icon small and square, the title the screen.
top_level() { [ "$(unzip -Z1 "$ZIP" | grep -v '^tombslide/.' | LC_ALL=C sort | tr '\n' ' ')" = "tombslide.ini tombslide/ " ]; }
check "the zip holds tombslide.ini beside the folder tombslide/, nothing else" top_level
unzip -p "$ZIP" tombslide.ini >"$WORK/ini"
plain_ini() { ! LC_ALL=C grep -q '[^ -~]' "$WORK/ini" && [ "$(head -n 1 "$WORK/ini")" = "[info]" ]; }
check "tombslide.ini is plain printable ASCII and starts with [info]" plain_ini
picture_size() { unzip -p "$ZIP" "$1" >"$WORK/picture" && identify -format %wx%h "$WORK/picture"; }
check "the icon is 32x32 and the title picture 320x240" \
    test "$(picture_size tombslide/tombslide.png) $(picture_size tombslide/title.png)" = "32x32 320x240"

# --- The expected frames, drawn by the snapshot tool on the classic SDL 1.2.
snap() { # name, then the snapshot tool's arguments after ROOM and OUT
    local name=$1 room=$2
    shift 2
    bash "$SRC/setup/classic-sdl.sh" "$BUILD/classic-sdl" \
        "$SNAPSHOT" "$room" "$WORK/want-$name.png" "$@" >/dev/null
    convert "$WORK/want-$name.png" "$WORK/want-$name.ppm"
}
snap stage1 1
convert -size 320x240 xc:red -depth 8 "$WORK/red.ppm"
# The clear screen: the board as the seven moves leave it, where only the
# right-hand triple (block 1) has moved for good, and the golden case out.
snap clear 1 --clear --moves 7 --at 1,5,3
snap stage2 2
snap stage3 3
# Stage 1 played again after its clear: the same board, cleared, best 7.
snap replay 1 --best 7

# --- save.dat as the game must leave it: the fresh board of stage ROOM
# (index ROOM - 1, no moves, score 0000000; its blocks as the game lays them
# out, printed by tools/savedump), then stage 1 cleared with a best of 7
# (CLEARED 1) or nothing cleared (0). Bytes in decimal, one space apart.
expected_save() { # room cleared
    local room=$1 cleared=$2 blocks out
    blocks=$("$SAVEDUMP" --stage "$room") || return 1
    out="$((room - 1)) 0 $(sed -n 's/^blocks //p' <<<"$blocks") 48 48 48 48 48 48 48"
    out+=$(sed -n 's/^block / /p' <<<"$blocks" | tr -d '\n')
    if [ "$cleared" = 1 ]; then out+=" 1"; else out+=" 0"; fi
    for _ in $(seq 261); do out+=" 0"; done
    if [ "$cleared" = 1 ]; then out+=" 7"; else out+=" 99"; fi
    for _ in $(seq 261); do out+=" 99"; done
    echo "$out"
}
SAVE_STAGE2=$(expected_save 2 1)
SAVE_FRESH=$(expected_save 1 0)
SAVE_STAGE3=$(expected_save 3 0)
words() { wc -w <<<"$1"; }

# --- The emulator: the serial console and the monitor on pipes of ours.

SHOT=$WORK/shot.ppm
SHOT_SIZE=$((15 + 320 * 240 * 3)) # "P6\n320 240\n255\n" and the pixels
screendump() {
    rm -f "$SHOT"
    echo "screendump $SHOT" >&5
    for _ in $(seq 600); do
        [ "$(stat -c %s "$SHOT" 2>/dev/null || echo 0)" -eq "$SHOT_SIZE" ] && return 0
        sleep 0.05
    done
    return 1
}
# The guest holds the game on the frame to check (or, for "moved", leaves it
# idle after a step), so one picture of the screen is enough.
screen_is() { # want how
    local want=$WORK/want-$1.ppm how=$2 diff
    screendump || { echo "device proof: no screendump"; return 1; }
    diff=$("$WORK/rgb565diff" $swap_rb "$SHOT" "$want" || true)
    [ "$how" = equals ] && [ "$diff" = 0 ] && return 0
    [ "$how" = differs ] && [ -n "$diff" ] && [ "$diff" != 0 ] && return 0
    echo "device proof: $diff pixels differ from $1"
    cp "$SHOT" "$WORK/failed-$run-$1.ppm"
    keep "$WORK/failed-$run-$1.ppm" "$want"
    return 1
}
on_shot() { # run, shot name
    case $2 in
    first) check "$1: the first frame is the snapshot's" screen_is stage1 equals ;;
    clear) check "$1: stage 1 cleared in 7 moves, the banner shown" screen_is clear equals ;;
    stage2) check "$1: a touch starts stage 2" screen_is stage2 equals ;;
    stage3) check "$1: R goes to stage 3" screen_is stage3 equals ;;
    back2) check "$1: L goes back to stage 2" screen_is stage2 equals ;;
    moved) check "$1: a drag moves a block of stage 2" screen_is stage2 differs ;;
    restarted) check "$1: I starts the stage afresh" screen_is stage2 equals ;;
    replay) check "$1: I in the stage-clear pause plays stage 1 again, best 7" screen_is replay equals ;;
    next2) check "$1: R then goes on to stage 2" screen_is stage2 equals ;;
    *) check "$1: a shot named $2 is known" false ;;
    esac
}
on_save() { # run, bytes
    local want=$SAVE_FRESH what="a fresh game"
    case $1 in
    *-play | *-noisy) want=$SAVE_STAGE2 what="stage 2 afresh, stage 1 cleared in 7" ;;
    *-brief) want=$SAVE_STAGE3 what="stage 3 afresh, nothing cleared" ;;
    esac
    local got
    got=$(echo $2)
    check "$1: save.dat holds $(words "$want") bytes: $what" test "$got" = "$want"
    [ "$got" = "$want" ] || echo "device proof: save.dat held: ${got:0:160}..."
}

# The game list's report of each path of the .ini: "PATH present" or "PATH missing".
on_card() { [[ $1 == *" present" ]]; }
is_gpe() { [[ $1 == /*.gpe" present" ]]; }

# The guest has filled the framebuffer with pure red as its driver describes
# its pixels. The emulated board shows it as red at 16 bits a pixel but as
# blue at 32: its display model reads that format with red and blue
# exchanged. The game's frames are then read so too.
on_fbmark() { # bpp
    swap_rb=""
    # What is written to the framebuffer reaches the display a moment later.
    for _ in $(seq 40); do
        screendump || return 1
        [ "$("$WORK/rgb565diff" "$SHOT" "$WORK/red.ppm")" = 0 ] && return 0
        if [ "$("$WORK/rgb565diff" --swap-rb "$SHOT" "$WORK/red.ppm")" = 0 ]; then
            swap_rb=--swap-rb
            echo "device proof: at $1 bits a pixel the board shows red and blue exchanged"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Each run reports the framebuffer's depth at every shot and after the game:
# it must stay as the board booted.
on_depth() { # when, bpp
    if [ "$2" != "$depth" ]; then
        fb_changed+=" $1 $2"
    fi
    [ "$1" = after ] || return 0
    check "$run: the framebuffer stayed at $depth bits while and after the game ran" \
        test -z "$fb_changed"
    fb_changed=""
}

# Boots the guest at DEPTH bits a pixel, playing the runs named RUNS (guest/init)
# and answers it until it is done.
boot() { # depth runs
    depth=$1
    swap_rb=""
    rm -f "$WORK"/ser.* "$WORK"/mon.*
    for p in ser mon; do mkfifo "$WORK/$p.in" "$WORK/$p.out"; done
    qemu-system-arm -M versatilepb -cpu arm926 -m 128 \
        -kernel "$KDIR/zImage" -dtb "$KDIR/versatile-pb.dtb" -initrd "$WORK/img/initramfs.cpio" \
        -append "console=ttyAMA0 loglevel=1 video=VGA-1:320x240MR-$depth@60 vt.global_cursor_default=0 snd_dummy.pcm_substreams=1 rdinit=/init tombslide.runs=$2" \
        -drive if=sd,format=raw,file="$WORK/img/card.img" -display none -nic none \
        -audiodev none,id=silent \
        -chardev pipe,id=ser,path="$WORK/ser" -serial chardev:ser \
        -chardev pipe,id=mon,path="$WORK/mon" -mon chardev=mon,mode=readline \
        >"$WORK/qemu.log" 2>&1 &
    QPID=$!
    exec 3<>"$WORK/ser.in" 4<>"$WORK/ser.out" 5<>"$WORK/mon.in"
    cat <"$WORK/mon.out" >"$WORK/monitor.log" &
    MPID=$!
    boot_started=$SECONDS
    run=""
    menus=0
    runs=0
    saves=0
    exits=0
    booted=0
    done_seen=0
    fb_changed=""
    inis=0
    while IFS= read -r -t 300 line <&4; do
        line=${line%$'\r'}
        echo "$line" >>"$WORK/console.log"
        case $line in
        "@@BOOT "*)
            booted=1
            echo "device proof: booted in $((SECONDS - boot_started)) s: ${line#@@BOOT }"
            check "boot $2: the framebuffer is 320x240 at $depth bits" test "${line#* * }" = "320,240 $depth"
            ;;
        "@@FBMARK "*)
            check "boot $2: the board shows the framebuffer's red, as red or as blue" \
                on_fbmark "${line#@@FBMARK }"
            echo go >&3
            ;;
        "@@INI "*) inis=$((inis + 1)) ;;&
        "@@INI name "*) check "the .ini names the game Tomb Slide" test "${line#@@INI name }" = "Tomb Slide" ;;
        "@@INI path "*) check "the .ini's path names a .gpe on the card: ${line#@@INI path }" \
            is_gpe "${line#@@INI path }" ;;
        "@@INI "*)
            rest=${line#@@INI }
            check "the .ini's ${rest%% *} names a file on the card: ${rest#* }" on_card "$rest"
            ;;
        "@@FB "*)
            rest=${line#@@FB }
            on_depth "${rest%% *}" "${rest#* }"
            ;;
        "@@RUN "*)
            run=${line#@@RUN }
            runs=$((runs + 1))
            menus=0
            failed_before=$failed
            last_words=""
            run_started=$SECONDS
            ;;
        "@@SHOT "*)
            on_shot "$run" "${line#@@SHOT }"
            echo go >&3
            ;;
        "@@MENU "*)
            menus=$((menus + 1))
            check "$run: the menu runs in /usr/gp2x" test "${line#@@MENU }" = /usr/gp2x
            ;;
        "@@EXIT "*)
            exits=$((exits + 1))
            check "$run: the menu stub was reached (${line#@@EXIT }, $((SECONDS - run_started)) s)" \
                test "$menus" -ge 1
            ;;
        "@@SAVE "*)
            rest=${line#@@SAVE }
            saves=$((saves + 1))
            on_save "${rest%% *}" "${rest#* }"
            [ "$failed" -eq "$failed_before" ] || echo "device proof: $run: the game's last words:$last_words"
            ;;
        "@@FAIL "*) check "guest: ${line#@@FAIL }" false ;;
        "@@TRACE "*) last_words+=" | ${line#@@TRACE }" ;;
        "@@DONE"*)
            done_seen=1
            break
            ;;
        esac
    done
    check "boot $2: the guest booted" test "$booted" -eq 1
    check "boot $2: the guest ran every script to the end" test "$done_seen" -eq 1
    # A report line lost or run into another would drop its checks unseen.
    check "boot $2: each of the $runs runs reported its end and its save.dat" \
        test "$exits" -eq "$runs" -a "$saves" -eq "$runs"
    echo quit >&5
    for _ in $(seq 600); do kill -0 "$QPID" 2>/dev/null || break; sleep 0.05; done
    kill "$QPID" 2>/dev/null || true
    kill "$MPID" 2>/dev/null || true
    wait "$QPID" "$MPID" 2>/dev/null || true
    QPID=""
    MPID=""
    exec 3>&- 4<&- 5>&-

}
boot 16 main
check "the game list's report named the .ini's four fields" test "$inis" -eq 4

# The card itself, read on the host: the last run's save.dat is on the FAT.
got=$(mcopy -n -i "$WORK/img/card.img" ::/game/tombslide/save.dat - 2>/dev/null | od -An -tu1 -v | tr -s ' \n' '  ' || true)
check "save.dat on the FAT card, read on the host, holds a fresh game's $(words "$SAVE_FRESH") bytes" \
    test "$(echo $got)" = "$SAVE_FRESH"

boot 32 deep
if [ "$failed" -gt 0 ]; then
    keep "$WORK/console.log" "$WORK/qemu.log"
    echo "device proof: console log and failed shots kept in $KEEP"
fi
echo "device proof: $passed passed, $failed failed in $((SECONDS - started)) s"
[ "$failed" -eq 0 ]
