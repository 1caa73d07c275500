#!/usr/bin/env bash
# Runs the benchmarks and prints their instruction counts beside the
# handheld's budget. Not a test.
#   bash bench/run.sh host BUILD_DIR
#     make bench: bench/tickbench's frame-timer ticks in a normal build, with
#     the classic SDL 1.2 as for make test-classic, counted by callgrind.
#   bash bench/run.sh arm BUILD_ARM_DIR SYSROOT [HANDHELD_WORK]
#     make bench-arm: the same ticks on the ARMv5TE build under qemu-arm,
#     counted by our inscount plugin, and with HANDHELD_WORK (make handheld's
#     build-handheld/) in the package's own build (its compiler, flags, musl
#     and static libraries); then bench/hintbench: the hint's search from
#     every stage's start at once, the process's peak memory growth, and the
#     frame-timer ticks of a hint from each start, its search a slice a tick
#     (in the package's build too, given HANDHELD_WORK).
# The benchmarks call BenchBegin and BenchEnd around each measured span.
set -euo pipefail
cd "$(dirname "$0")/.."
fail() { echo "bench: $*" >&2; exit 1; }
case "${1:-}:$#" in
host:2 | arm:3 | arm:4) ;;
*) echo "usage: $0 host BUILD_DIR | arm BUILD_ARM_DIR SYSROOT [HANDHELD_WORK]" >&2; exit 2 ;;
esac
build=$(cd "$2" && pwd)
out=$(mktemp -d "$build/bench.XXXXXX")
trap 'rm -rf "$out"' EXIT
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

# The handheld: an ARM926EJ-S at 533 MHz, one tick every 100 ms.
budget=53300000
# The ticks in the order bench/tickbench.cpp runs them.
names=(idle step stage-start clear)
# A table row: the name, then each count in M instructions and % of budget.
row() { # name, counts...
    awk -v b="$budget" 'BEGIN { printf "%-12s", ARGV[1]; for (i = 2; i < ARGC; i++)
        printf(ARGC == 3 ? " %14.2f M %8.1f %%" : " %12.2f M %8.1f %%", ARGV[i] / 1e6, 100 * ARGV[i] / b)
        print "" }' "$@"
}
tick_header() { # what ends the line on cycles
    echo "Budget: a 100 ms tick of the handheld's 533 MHz core, 53.3 M cycles."
    echo "These are instructions, not cycles: the ARM926EJ-S needs more than one"
    echo "cycle for many instructions (loads, multiplies, cache misses)$1"
    echo "The dummy video driver shows nothing; the display's update is not counted."
    echo
}

if [ "$1" = host ]; then
    bench="$build/bench/tickbench"
    [ -x "$bench" ] || fail "$bench is not built"
    command -v valgrind >/dev/null || fail "valgrind is missing"
    bash setup/classic-sdl.sh "$build/classic-sdl" \
        valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file="$out/cg.out" \
        "$bench" >"$out/bench.log" 2>&1 || { cat "$out/bench.log" >&2; exit 1; }
    version=$(sed -n 's/^classic-sdl: SDL \([0-9.]*\) .*/\1/p' "$out/bench.log")
    echo "One frame-timer tick (DrawSet and all it calls), SDL $version, $(uname -m), callgrind"
    tick_header ", and an"$'\n'"ARM build runs a different number of instructions than this x86 one."
    printf '%-12s %14s %10s\n' "tick" "instructions" "of budget"
    # callgrind dumps a profile at each BenchEnd, named after the tick.
    n=0
    for f in "$out"/cg.out.*; do
        name=$(sed -n 's/^desc: Trigger: Client Request: //p' "$f")
        total=$(sed -n 's/^totals: //p' "$f")
        [ -z "$name" ] || [ -z "$total" ] || { row "$name" "$total"; n=$((n + 1)); }
    done
    [ "$n" -eq ${#names[@]} ] || fail "expected ${#names[@]} measured ticks, got $n"
    exit 0
fi

sysroot=$(cd "$3" && pwd)
plugin="$build/bench/inscount/inscount.so"
[ -e "$plugin" ] || fail "$plugin is not built"
# Runs PROGRAM (then qemu-arm's options) and sets counts to the main thread's
# instructions in each span, in order: EXPECTED of them, or any number for -.
# The program's output is left in $out/bench.log.
inscount() { # expected, program, qemu-arm options
    local expected=$1 program=$2
    shift 2
    [ -e "$program" ] || fail "$program is not built"
    qemu-arm -cpu arm926 "$@" -plugin "$plugin,mark=BenchBegin,mark=BenchEnd" \
        -d plugin -D "$out/counts" "$program" >"$out/bench.log" 2>&1 ||
        { cat "$out/bench.log" "$out/counts" >&2; exit 1; }
    mapfile -t counts < <(sed -n 's/^inscount BenchEnd \([0-9]*\) .*/\1/p' "$out/counts")
    [ "$expected" = - ] || [ ${#counts[@]} -eq "$expected" ] ||
        fail "expected $expected spans in $program, got ${#counts[@]}"
}

inscount ${#names[@]} "$build/bench/tickbench" -L "$sysroot"
ticks=("${counts[@]}")
package=()
if [ $# -eq 4 ]; then
    work=$(cd "$4" && pwd)
    cmake --build "$work/game" -j"${JOBS:-2}" --target tickbench hintbench >/dev/null ||
        fail "the handheld build in $work could not make the benchmarks"
    inscount ${#names[@]} "$work/game/bench/tickbench"
    package=("${counts[@]}")
fi
echo "One frame-timer tick (DrawSet and all it calls), classic SDL 1.2, ARMv5TE"
echo "(arm926ej-s, soft float) under qemu-arm, main thread, inscount plugin"
tick_header "."
if [ ${#package[@]} -eq 0 ]; then
    printf '%-12s %14s %10s\n' "tick" "instructions" "of budget"
else
    echo "The package's build: the same ticks in the package's own object files and"
    echo "static libraries (musl, its SDL 1.2 with the touch input, mixer, libpng,"
    echo "zlib; -Os), the benchmark built by the package's own build."
    echo
    printf '%-12s %14s %10s %14s %10s\n' "tick" "ARM build" "of budget" "package" "of budget"
fi
for i in "${!names[@]}"; do
    row "${names[$i]}" "${ticks[$i]}" ${package[$i]:+"${package[$i]}"}
done

# hintbench: first the whole search, one span a stage in stage order; then
# the ticks of the hint as the game plays it, stage after stage, as many as
# its line says. Prints the whole searches' worst and mean, and sets hint_ticks
# to the worst of the ticks ("count stage") and search_ticks to the ticks a
# search took, worst and mean ("worst stage mean").
hintbench() { # program, qemu-arm options
    inscount - "$@"
    grep '^stage ' "$out/bench.log" >"$out/stages" || true
    [ "$(wc -l <"$out/stages")" -eq 263 ] || fail "expected 263 stages in the output of $1"
    local total
    total=$(awk '{ t += $8 } END { print 263 + t }' "$out/stages")
    [ ${#counts[@]} -eq "$total" ] || fail "expected $total spans in $1, got ${#counts[@]}"
    printf '%s\n' "${counts[@]:0:263}" >"$out/whole"
    printf '%s\n' "${counts[@]:263}" >"$out/ticks"
    whole=$(paste "$out/whole" "$out/stages" | awk -F '\t' -v b="$budget" '
        NR == 1 || $1 > t { t = $1; s = $2 } { sum += $1 } END {
        printf "worst search %8.2f M instructions, %5.1f %% of budget (%s)\n", t / 1e6, 100 * t / b, s
        printf "mean search  %8.2f M instructions", sum / NR / 1e6 }')
    hint_ticks=$(awk 'NR == FNR { for (i = 0; i < $8; i++) at[++n] = $2; next }
        !have++ || $1 > t { t = $1; s = at[FNR] } END { print t, s }' "$out/stages" "$out/ticks")
    search_ticks=$(awk '$8 > t { t = $8; s = $2 } { sum += $8 } END { printf "%d %d %.1f", t, s, sum / NR }' \
        "$out/stages")
}

hintbench "$build/bench/hintbench" -L "$sysroot"
echo
echo "The hint's search from each stage's start position at once, ARMv5TE"
echo "(arm926ej-s) under qemu-arm, inscount plugin; a tick never runs it whole."
echo "$whole"
grep '^most states\|^peak memory' "$out/bench.log"
arm_ticks=$hint_ticks
arm_search=$search_ticks
echo
echo "H from each stage's start as the game plays it: each frame-timer tick"
echo "(DrawSet and all it calls) up to the one that begins the slide; the ticks"
echo "before it each search a slice of the positions."
if [ $# -eq 4 ]; then
    hintbench "$work/game/bench/hintbench"
    [ "${search_ticks%% *}" = "${arm_search%% *}" ] || fail "the two builds' searches took other ticks"
    printf '%-12s %14s %10s %14s %10s\n' "tick" "ARM build" "of budget" "package" "of budget"
    row "worst hint" "${arm_ticks%% *}" "${hint_ticks%% *}"
    echo "(worst on the ARM build at stage ${arm_ticks##* }, on the package's at stage ${hint_ticks##* })"
else
    printf '%-12s %14s %10s\n' "tick" "instructions" "of budget"
    row "worst hint" "${arm_ticks%% *}"
    echo "(stage ${arm_ticks##* })"
fi
read -r worst stage mean <<<"$arm_search"
echo "A search takes at most $worst ticks (stage $stage), $mean on average."
# The worst of every tick measured, in the package's build when there is one.
if [ $# -eq 4 ]; then
    all=("${package[@]}" "${hint_ticks%% *}") where="the package's build"
else
    all=("${ticks[@]}" "${arm_ticks%% *}") where="the ARM build"
fi
printf '%s\n' "${all[@]}" | sort -n | tail -1 | awk -v w="$where" -v b="$budget" '{
    printf "Worst tick, hint or not, in %s: %.2f M instructions, %.1f %% of budget\n", w, $1 / 1e6, 100 * $1 / b }'
