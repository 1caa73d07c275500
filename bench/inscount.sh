# Shared by the ARM benchmark runners (sourced): runs a benchmark under
# qemu-arm on an ARM926 with the inscount plugin and reads its counts.
# Needs build (the ARM build folder) set; sets bench_plugin and out (a
# scratch folder in the build, removed at exit).
bench_plugin="$build/bench/inscount/inscount.so"
[ -e "$bench_plugin" ] || { echo "$0: $bench_plugin is not built" >&2; exit 1; }
out=$(mktemp -d "$build/bench.XXXXXX")
trap 'rm -rf "$out"' EXIT

# Runs PROGRAM (then qemu-arm's options) with SDL's dummy drivers; its output
# goes to $out/bench.log. Prints the instructions of each BenchBegin..BenchEnd
# span, one line each, in order.
inscount_run() { # program, qemu-arm options
    local program=$1
    shift
    [ -e "$program" ] || { echo "$0: $program is not built" >&2; exit 1; }
    SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
        qemu-arm -cpu arm926 "$@" -plugin "$bench_plugin,mark=BenchBegin,mark=BenchEnd" \
        -d plugin -D "$out/counts" "$program" >"$out/bench.log" 2>&1 ||
        { cat "$out/bench.log" "$out/counts" >&2; exit 1; }
    sed -n 's/^inscount BenchEnd \([0-9]*\) .*/\1/p' "$out/counts"
}
