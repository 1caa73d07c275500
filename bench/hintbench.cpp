// hintbench: the hint's search from every stage's start position, one stage
// after the other, for an instruction counter to measure (make bench-arm
// runs it under qemu-arm with the inscount plugin). Each search is bracketed
// by calls of BenchBegin and BenchEnd. It prints, per stage, the moves of the
// shortest solution and the states searched, and at the end how much the
// process's peak resident memory grew over all the searches.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "assist.h"
#include "marks.h"

namespace {

// The process's peak resident memory so far, in KiB (VmHWM), or -1.
long PeakKiB() {
    FILE *f = fopen("/proc/self/status", "r");
    if (f == nullptr) return -1;
    char line[256];
    long kib = -1;
    while (fgets(line, sizeof line, f))
        if (strncmp(line, "VmHWM:", 6) == 0) kib = strtol(line + 6, nullptr, 10);
    fclose(f);
    return kib;
}

} // namespace

int main() {
    long before = PeakKiB();
    int worstStates = 0, worstStage = 0;
    for (int s = 0; s < STAGE_COUNT; s++) {
        LayoutBlocks(_STAGE[s].data);
        HintMove m;
        BenchBegin("hint");
        int moves = FindHint(&m);
        BenchEnd("hint");
        if (moves == 0) {
            fprintf(stderr, "hintbench: no hint for stage %d\n", s + 1);
            return 1;
        }
        int states = HintStatesSearched();
        if (states > worstStates) {
            worstStates = states;
            worstStage = s;
        }
        printf("stage %d moves %d states %d\n", s + 1, moves, states);
    }
    printf("most states %d (stage %d)\n", worstStates, worstStage + 1);
    printf("peak memory growth %ld KiB\n", PeakKiB() - before);
    return 0;
}
