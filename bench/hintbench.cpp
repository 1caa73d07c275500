// hintbench: the hint's search from every stage's start position, for an
// instruction counter to measure (make bench-arm runs it under qemu-arm with
// the inscount plugin). Two passes over the stages, each measured span
// bracketed by calls of BenchBegin and BenchEnd:
//
//   1. the whole search at once (FindHint), one span a stage;
//   2. the hint as the game plays it: the stage started and drawn, H asked,
//      then every frame-timer tick (DrawSet and all it calls) one span, up to
//      the tick that begins the slide, the search's slices on the ticks
//      before it.
//
// At the end it prints, per stage, the moves of the shortest solution, the
// states searched and the ticks of the second pass, and how much the
// process's peak resident memory grew over all the searches.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "assist.h"
#include "headless.h"
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

struct Stage {
    int moves, states, ticks;
    HintMove first;
};
Stage stages[STAGE_COUNT];

// The search from the stage's start at once; 0 when it found no hint.
int WholeSearch(int s) {
    LayoutBlocks(_STAGE[s].data);
    HintMove m;
    BenchBegin("hint");
    stages[s].moves = FindHint(&m);
    BenchEnd("hint");
    stages[s].first = m;
    stages[s].states = HintStatesSearched();
    return stages[s].moves;
}

// The hint from the stage's start on the frame timer's ticks, each measured,
// up to the tick its slide begins. 0 when no slide began, or when it is not
// the whole search's first move after the same states.
int TickedSearch(int s) {
    currStage = (Sint16)s;
    Start();
    DrawSet(FRAME_PERIOD, nullptr); // the stage's first tick draws it whole
    AskHint();
    int ticks = 0;
    while (!HintSliding() && (HintsQueued() > 0 || HintSearchUnderWay()) && ticks < 1000) {
        BenchBegin("tick");
        DrawSet(FRAME_PERIOD, nullptr);
        BenchEnd("tick");
        ticks++;
    }
    stages[s].ticks = ticks;
    const Stage &t = stages[s];
    // A slide of one cell has ended on the tick it began, with its move.
    Uint8 begun = HintSliding() || movePoint == 1;
    return begun && HintStatesSearched() == t.states && hintSlide.block == t.first.block &&
           hintSlide.to == t.first.to;
}

} // namespace

int main() {
    if (cLCD.scr[0] == nullptr) {
        fprintf(stderr, "hintbench: no display surface\n");
        return 1;
    }
    LoadSheets();
    ResetGameState();
    long before = PeakKiB();
    for (int s = 0; s < STAGE_COUNT; s++)
        if (WholeSearch(s) == 0) {
            fprintf(stderr, "hintbench: no hint for stage %d\n", s + 1);
            return 1;
        }
    for (int s = 0; s < STAGE_COUNT; s++)
        if (!TickedSearch(s)) {
            fprintf(stderr, "\nhintbench: the ticks gave stage %d no hint as the search did\n",
                    s + 1);
            return 1;
        }
    // The game's trace lines leave the last line open.
    printf("\n");
    int worstStates = 0, worstStage = 0;
    for (int s = 0; s < STAGE_COUNT; s++) {
        const Stage &t = stages[s];
        if (t.states > worstStates) {
            worstStates = t.states;
            worstStage = s;
        }
        printf("stage %d moves %d states %d ticks %d\n", s + 1, t.moves, t.states, t.ticks);
    }
    printf("most states %d (stage %d)\n", worstStates, worstStage + 1);
    printf("peak memory growth %ld KiB\n", PeakKiB() - before);
    return 0;
}
