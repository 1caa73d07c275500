#!/usr/bin/env bash
# make bench-arm: the instructions of the same frame-timer ticks as make bench,
# on the ARMv5TE build under qemu-arm with the classic SDL 1.2, counted by our
# inscount plugin, each beside the handheld's budget.
#   bash tools/tickbench-arm.sh BUILD_ARM_DIR SYSROOT
# The benchmark calls BenchBegin and BenchEnd around each measured tick; the
# plugin reports the instructions the main thread ran from one to the other.
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
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    qemu-arm -cpu arm926 -L "$sysroot" -plugin "$plugin,mark=BenchBegin,mark=BenchEnd" \
    -d plugin -D "$out/counts" "$bench" >"$out/bench.log" 2>&1 ||
    { cat "$out/bench.log" "$out/counts" >&2; exit 1; }

# The cases in the order tests/bench/tickbench.cpp runs them.
names=(idle step stage-start clear)
mapfile -t ticks < <(sed -n 's/^inscount BenchEnd \([0-9]*\) .*/\1/p' "$out/counts")
[ ${#ticks[@]} -eq ${#names[@]} ] ||
    { echo "tickbench-arm: expected ${#names[@]} measured ticks, got ${#ticks[@]}" >&2; exit 1; }

# The handheld: an ARM926EJ-S at 533 MHz, one tick every 100 ms.
budget=53300000
echo "One frame-timer tick (DrawSet and all it calls), classic SDL 1.2, ARMv5TE"
echo "(arm926ej-s, soft float) under qemu-arm, main thread, inscount plugin"
echo "Budget: a 100 ms tick of the handheld's 533 MHz core, 53.3 M cycles."
echo "These are instructions, not cycles: the ARM926EJ-S needs more than one"
echo "cycle for many instructions (loads, multiplies, cache misses)."
echo "The dummy video driver shows nothing; the display's update is not counted."
echo
printf '%-12s %14s %10s\n' "tick" "instructions" "of budget"
for i in "${!names[@]}"; do
    awk -v n="${names[$i]}" -v t="${ticks[$i]}" -v b="$budget" \
        'BEGIN { printf "%-12s %14.2f M %8.1f %%\n", n, t / 1e6, 100 * t / b }'
done
