#!/usr/bin/env bash
# make bench-arm: the instructions of the same frame-timer ticks as make bench,
# on the ARMv5TE build under qemu-arm with the classic SDL 1.2, counted by our
# inscount plugin, each beside the handheld's budget.
#   bash bench/tickbench-arm.sh BUILD_ARM_DIR SYSROOT [HANDHELD_WORK]
# The benchmark calls BenchBegin and BenchEnd around each measured tick; the
# plugin reports the instructions the main thread ran from one to the other.
# With HANDHELD_WORK (make handheld's build-handheld/) it also measures the
# package's own build: the benchmark built by the handheld's CMake build, with
# the package's compiler, flags and static libraries (musl, our SDL, the
# mixer, libpng, zlib).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "$1" && pwd)
sysroot=$(cd "$2" && pwd)
bench="$build/bench/tickbench"
source bench/inscount.sh
# The cases in the order bench/tickbench.cpp runs them.
names=(idle step stage-start clear)
measure() { # the benchmark program, then qemu-arm's options; prints one count a case
    local counts
    mapfile -t counts < <(inscount_run "$@")
    [ ${#counts[@]} -eq ${#names[@]} ] ||
        { echo "tickbench-arm: expected ${#names[@]} measured ticks, got ${#counts[@]}" >&2; exit 1; }
    printf '%s\n' "${counts[@]}"
}
mapfile -t ticks < <(measure "$bench" -L "$sysroot")
[ ${#ticks[@]} -eq ${#names[@]} ] || exit 1

# The package's build, when asked for.
package=()
if [ -n "${3:-}" ]; then
    # The benchmark built by the package's own build (make handheld's CMake
    # build folder): the package's compiler, flags, musl and static libraries.
    work=$(cd "$3" && pwd)
    cmake --build "$work/game" -j"${JOBS:-2}" --target tickbench >/dev/null ||
        { echo "tickbench-arm: the handheld build in $work could not make tickbench" >&2; exit 1; }
    mapfile -t package < <(measure "$work/game/bench/tickbench")
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
echo "zlib; -Os), the benchmark built by the package's own build."
echo
printf '%-12s %14s %10s %14s %10s\n' "tick" "ARM build" "of budget" "package" "of budget"
for i in "${!names[@]}"; do
    awk -v n="${names[$i]}" -v t="${ticks[$i]}" -v p="${package[$i]}" -v b="$budget" \
        'BEGIN { printf "%-12s %12.2f M %8.1f %% %12.2f M %8.1f %%\n", n, t / 1e6, 100 * t / b, p / 1e6, 100 * p / b }'
done
