#!/usr/bin/env bash
# make bench-arm, second part: the instructions of the hint's search from
# every stage's start position, on the ARMv5TE build under qemu-arm with our
# inscount plugin; the worst of them beside the handheld's 100 ms budget, and
# the process's peak memory growth over all the searches.
#   bash bench/hintbench-arm.sh BUILD_ARM_DIR SYSROOT
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "$1" && pwd)
sysroot=$(cd "$2" && pwd)
source bench/inscount.sh
# One count per stage, in stage order, beside the bench's own lines.
mapfile -t ins < <(inscount_run "$build/bench/hintbench" -L "$sysroot")
mapfile -t stages < <(grep '^stage ' "$out/bench.log")
[ ${#ins[@]} -eq 263 ] && [ ${#stages[@]} -eq 263 ] ||
    { echo "hintbench-arm: expected 263 searches, got ${#ins[@]}" >&2; exit 1; }

budget=53300000
echo "The hint's search from each stage's start position, ARMv5TE (arm926ej-s)"
echo "under qemu-arm, inscount plugin. Budget: 100 ms of the 533 MHz core, 53.3 M cycles."
worst=0
for i in "${!ins[@]}"; do
    [ "${ins[$i]}" -gt "${ins[$worst]}" ] && worst=$i
done
total=0
for n in "${ins[@]}"; do total=$((total + n)); done
awk -v t="${ins[$worst]}" -v b="$budget" -v s="${stages[$worst]}" -v sum="$total" 'BEGIN {
    printf "worst hint   %8.2f M instructions, %5.1f %% of budget (%s)\n", t / 1e6, 100 * t / b, s
    printf "mean hint    %8.2f M instructions\n", sum / 263 / 1e6 }'
grep '^most states\|^peak memory' "$out/bench.log"
