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
failed() { echo "inscount FAILED: $*"; exit 1; }
mapfile -t marks < <(grep '^inscount CheckMark ' "$LOG")
[ ${#marks[@]} -eq 3 ] || failed "not three marks"
read -r _ _ empty empty_all <<<"${marks[1]}"
read -r _ _ loop loop_all <<<"${marks[2]}"
[ "$empty" = "$empty_all" ] && [ "$loop" = "$loop_all" ] || failed "one thread, yet the counts differ"
[ $((loop - empty)) -eq 2001 ] || failed "$((loop - empty)) instructions between the marks, not 2001"
echo "inscount passed: a mark costs $empty instructions, the loop 2001 more"
