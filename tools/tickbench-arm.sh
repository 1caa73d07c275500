#!/usr/bin/env bash
# make bench-arm: the instructions of the same frame-timer ticks as make bench,
# on the ARMv5TE build under qemu-arm with the classic SDL 1.2, counted by our
# inscount plugin, each beside the handheld's budget.
#   bash tools/tickbench-arm.sh BUILD_ARM_DIR SYSROOT [HANDHELD_WORK]
# The benchmark calls BenchBegin and BenchEnd around each measured tick; the
# plugin reports the instructions the main thread ran from one to the other.
# With HANDHELD_WORK (make handheld's build-handheld/) it also measures the
# package's own build: the benchmark's driver linked, in place of the game's
# main, with the very object files and static libraries (musl, our SDL, the
# mixer, libpng, zlib) of the package's binary.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "$1" && pwd)
sysroot=$(cd "$2" && pwd)
bench="$build/tests/bench/tickbench"
plugin="$build/tools/inscount/inscount.so"
for f in "$bench" "$plugin"; do
    [ -e "$f" ] || { echo "tickbench-arm: $f is not built" >&2; exit 1; }
done

out=$(mktemp -d "$build/tickbench.XXXXXX")
trap 'rm -rf "$out"' EXIT
# The cases in the order tests/bench/tickbench.cpp runs them.
names=(idle step stage-start clear)
measure() { # the benchmark program, then qemu-arm's options; prints one count a case
    local program=$1
    shift
    SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
        qemu-arm -cpu arm926 "$@" -plugin "$plugin,mark=BenchBegin,mark=BenchEnd" \
        -d plugin -D "$out/counts" "$program" >"$out/bench.log" 2>&1 ||
        { cat "$out/bench.log" "$out/counts" >&2; exit 1; }
    local counts
    mapfile -t counts < <(sed -n 's/^inscount BenchEnd \([0-9]*\) .*/\1/p' "$out/counts")
    [ ${#counts[@]} -eq ${#names[@]} ] ||
        { echo "tickbench-arm: expected ${#names[@]} measured ticks, got ${#counts[@]}" >&2; exit 1; }
    printf '%s\n' "${counts[@]}"
}
mapfile -t ticks < <(measure "$bench" -L "$sysroot")
[ ${#ticks[@]} -eq ${#names[@]} ] || exit 1

# The package's build, when asked for.
package=()
if [ -n "${3:-}" ]; then
    work=$(cd "$3" && pwd)
    target=arm-linux-gnueabi
    prefix=$work/deps
    mapfile -t objects < <(find "$work/game" -maxdepth 1 -name '*.o' ! -name game-main.o | sort)
    [ -f "$prefix/.done" ] && [ ${#objects[@]} -gt 0 ] ||
        { echo "tickbench-arm: the handheld package is not built in $work" >&2; exit 1; }
    # The driver compiled as the package's C++ is (handheld/build.sh): musl's
    # headers, the C++ library's headers but not the library.
    cxxinc=/usr/$target/include/c++/$("$target-gcc" -dumpversion)
    "$target-g++" -nostdinc -isystem "$cxxinc" -isystem "$cxxinc/$target" \
        -isystem "$work/musl/include" -isystem "$work/musl/kernel" \
        -isystem "$("$target-gcc" -print-file-name=include)" "-D__GLIBC_PREREQ(a,b)=0" \
        -mcpu=arm926ej-s -mfloat-abi=soft -Os -std=c++17 -fno-exceptions -fno-rtti \
        -fno-threadsafe-statics -D_GNU_SOURCE=1 -D_REENTRANT -Igame -Iframework \
        -I"$work/game/generated" -I"$prefix/include/SDL" -I"$prefix/include" \
        -c tests/bench/tickbench.cpp -o "$out/tickbench.o"
    "$work/bin/musl-gcc" -mcpu=arm926ej-s -mfloat-abi=soft -Os -Wl,--gc-sections \
        -o "$out/tickbench-handheld" "$out/tickbench.o" "${objects[@]}" -L"$prefix/lib" \
        -lSDL_mixer -lSDL -lpng16 -lz -lpthread -lm
    mapfile -t package < <(measure "$out/tickbench-handheld")
    [ ${#package[@]} -eq ${#names[@]} ] || exit 1
fi

# The handheld: an ARM926EJ-S at 533 MHz, one tick every 100 ms.
budget=53300000
echo "One frame-timer tick (DrawSet and all it calls), classic SDL 1.2, ARMv5TE"
echo "(arm926ej-s, soft float) under qemu-arm, main thread, inscount plugin"
echo "Budget: a 100 ms tick of the handheld's 533 MHz core, 53.3 M cycles."
echo "These are instructions, not cycles: the ARM926EJ-S needs more than one"
echo "cycle for many instructions (loads, multiplies, cache misses)."
echo "The dummy video driver shows nothing; the display's update is not counted."
echo
if [ ${#package[@]} -eq 0 ]; then
    printf '%-12s %14s %10s\n' "tick" "instructions" "of budget"
    for i in "${!names[@]}"; do
        awk -v n="${names[$i]}" -v t="${ticks[$i]}" -v b="$budget" \
            'BEGIN { printf "%-12s %14.2f M %8.1f %%\n", n, t / 1e6, 100 * t / b }'
    done
    exit 0
fi
echo "The package's build: the same ticks in the package's own object files and"
echo "static libraries (musl, its SDL 1.2 with the touch input, mixer, libpng,"
echo "zlib; -Os), the benchmark's driver linked in place of the game's main."
echo
printf '%-12s %14s %10s %14s %10s\n' "tick" "ARM build" "of budget" "package" "of budget"
for i in "${!names[@]}"; do
    awk -v n="${names[$i]}" -v t="${ticks[$i]}" -v p="${package[$i]}" -v b="$budget" \
        'BEGIN { printf "%-12s %12.2f M %8.1f %% %12.2f M %8.1f %%\n", n, t / 1e6, 100 * t / b, p / 1e6, 100 * p / b }'
done
