#!/usr/bin/env bash
# Checks the inscount plugin on check.cpp's program:
#   bash check.sh PLUGIN PROGRAM EMULATOR...
# Between the second and third mark the program runs exactly 2001
# instructions more than between the first and second, all on its one thread.
set -euo pipefail
PLUGIN=$1
PROGRAM=$2
shift 2
LOG=$(mktemp /tmp/tombslide-inscount-XXXXXX)
trap 'rm -f "$LOG"' EXIT
"$@" -plugin "$PLUGIN,mark=CheckMark" -d plugin -D "$LOG" "$PROGRAM"
cat "$LOG"
[ "$(grep -c '^inscount CheckMark ' "$LOG")" -eq 3 ] || {
    echo "inscount FAILED: not three marks"
    exit 1
}
read -r _ _ empty empty_all <<<"$(grep '^inscount CheckMark ' "$LOG" | sed -n 2p)"
read -r _ _ loop loop_all <<<"$(grep '^inscount CheckMark ' "$LOG" | sed -n 3p)"
[ "$empty" = "$empty_all" ] && [ "$loop" = "$loop_all" ] || {
    echo "inscount FAILED: one thread, yet the counts differ"
    exit 1
}
[ $((loop - empty)) -eq 2001 ] || {
    echo "inscount FAILED: $((loop - empty)) instructions between the marks, not 2001"
    exit 1
}
echo "inscount passed: a mark costs $empty instructions, the loop 2001 more"
