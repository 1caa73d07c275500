#!/usr/bin/env bash
# make bench: the instructions of single frame-timer ticks, with the classic
# SDL 1.2, counted by callgrind, each beside the handheld's budget.
#   bash bench/tickbench.sh BUILD_DIR
# BUILD_DIR holds a normal build (bench/tickbench in it); the classic
# library is fetched into BUILD_DIR/classic-sdl as for make test-classic.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "$1" && pwd)
bench="$build/bench/tickbench"
[ -x "$bench" ] || { echo "tickbench: $bench is not built" >&2; exit 1; }
command -v valgrind >/dev/null || { echo "tickbench: valgrind is missing" >&2; exit 1; }

out=$(mktemp -d "$build/tickbench.XXXXXX")
trap 'rm -rf "$out"' EXIT
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy bash setup/classic-sdl.sh "$build/classic-sdl" \
    valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file="$out/cg.out" \
    "$bench" >"$out/bench.log" 2>&1 || { cat "$out/bench.log" >&2; exit 1; }
version=$(sed -n 's/^classic-sdl: SDL \([0-9.]*\) .*/\1/p' "$out/bench.log")

# The handheld: an ARM926EJ-S at 533 MHz, one tick every 100 ms.
budget=53300000
echo "One frame-timer tick (DrawSet and all it calls), SDL $version, $(uname -m), callgrind"
echo "Budget: a 100 ms tick of the handheld's 533 MHz core, 53.3 M cycles."
echo "These are instructions, not cycles: the ARM926EJ-S needs more than one"
echo "cycle for many instructions (loads, multiplies, cache misses), and an"
echo "ARM build runs a different number of instructions than this x86 one."
echo "The dummy video driver shows nothing; the display's update is not counted."
echo
printf '%-12s %14s %10s\n' "tick" "instructions" "of budget"
n=0
for f in "$out"/cg.out.*; do
    name=$(sed -n 's/^desc: Trigger: Client Request: //p' "$f")
    total=$(sed -n 's/^totals: //p' "$f")
    [ -n "$name" ] && [ -n "$total" ] || continue
    awk -v n="$name" -v t="$total" -v b="$budget" \
        'BEGIN { printf "%-12s %14.2f M %8.1f %%\n", n, t / 1e6, 100 * t / b }'
    n=$((n + 1))
done
[ "$n" -eq 4 ] || { echo "tickbench: expected 4 measured ticks, got $n" >&2; exit 1; }
