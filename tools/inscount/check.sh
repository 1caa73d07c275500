#!/usr/bin/env bash
# Checks the inscount plugin on check.cpp's program:
#   bash check.sh PLUGIN PROGRAM EMULATOR...
# Between marks 2 and 3 the program runs exactly 2001 instructions more than
# between marks 1 and 2, all on its one thread.
set -euo pipefail
PLUGIN=$1
PROGRAM=$2
shift 2
LOG=$(mktemp /tmp/tombslide-inscount-XXXXXX)
trap 'rm -f "$LOG"' EXIT
"$@" -plugin "$PLUGIN" -d plugin -D "$LOG" "$PROGRAM"
cat "$LOG"
read -r _ _ empty empty_all <<<"$(grep '^inscount 2 ' "$LOG")"
read -r _ _ loop loop_all <<<"$(grep '^inscount 3 ' "$LOG")"
[ "$empty" = "$empty_all" ] && [ "$loop" = "$loop_all" ] || {
    echo "inscount FAILED: one thread, yet the counts differ"
    exit 1
}
[ $((loop - empty)) -eq 2001 ] || {
    echo "inscount FAILED: $((loop - empty)) instructions between the marks, not 2001"
    exit 1
}
echo "inscount passed: a mark costs $empty instructions, the loop 2001 more"
