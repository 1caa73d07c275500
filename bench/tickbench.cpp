// tickbench: runs the work of single frame-timer ticks (DrawSet and all it
// calls), one case after the other, for an instruction counter to measure:
//
//   idle        a playing tick with nothing to draw but the status and mark
//   step        a tick that draws a block's step
//   stage-start a stage started (the Next button's work) and its first tick,
//               which draws the whole board
//   clear       the first tick of the stage-clear pause, the banner's
//
// Each case runs once unmeasured, so that one-time work (the library's blit
// set-up for a pair of surfaces) is left out, then once measured. Under
// callgrind (started with --collect-atstart=no) the measured run is the only
// one collected, and its figures are dumped under the case's name. Elsewhere
// the measured run is bracketed by calls of BenchBegin and BenchEnd, where
// any other instruction counter can start and stop.
//
// The dummy video driver is used, so presenting the frame costs nothing
// here; on the device the display's own update comes on top.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "headless.h"
#include "marks.h"
#include "tombslide.h"

#if defined(__has_include)
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define TICKBENCH_CALLGRIND 1
#endif
#endif
#ifndef TICKBENCH_CALLGRIND
#define CALLGRIND_TOGGLE_COLLECT
#define CALLGRIND_DUMP_STATS_AT(name) ((void)(name))
#endif

namespace {

void Tick() {
    DrawSet(FRAME_PERIOD, nullptr);
}

// Stage 0 started and its first tick drawn: the board as a player sees it.
void Playing() {
    GAME = GAME_PLAYING;
    currStage = 0;
    Start();
    Tick();
}

void Idle() {
    Tick();
}

// The bottom triple of stage 0, at (0, 5), one cell to the right, as a drag
// leaves it for the next tick to draw.
void StepMade() {
    Playing();
    ckPH = 4;
    Sint16 x = ckX = BL[ckPH].x;
    ckY = BL[ckPH].y;
    moved = MovePH((Uint8)(x + 1), (Uint8)ckY);
    if (moved == 0) fprintf(stderr, "tickbench: the step was refused\n");
}

void StageStart() {
    StageNext();
    Tick();
}
void BackToStage0() {
    currStage = 1;
    StagePrevious();
    Tick();
}

// Stage 0 cleared, the golden case out in the exit opening: the next tick is
// the pause's first, which shows the banner.
void Cleared() {
    Playing();
    for (int i = 0; i < mxPH; i++)
        if (BL[i].type == TYPE_TARGET) BL[i].x = 6;
    StageClear();
}

struct Case {
    const char *name;
    void (*setUp)();
    void (*work)();
};

const Case CASES[] = {{"idle", Playing, Idle},
                      {"step", StepMade, Tick},
                      {"stage-start", BackToStage0, StageStart},
                      {"clear", Cleared, Tick}};

void Run(const Case &c, bool measured) {
    c.setUp();
    if (!measured) {
        c.work();
        return;
    }
    BenchBegin(c.name);
    CALLGRIND_TOGGLE_COLLECT;
    c.work();
    CALLGRIND_TOGGLE_COLLECT;
    BenchEnd(c.name);
    CALLGRIND_DUMP_STATS_AT(c.name);
}

} // namespace

int main() {
    if (cLCD.scr[0] == nullptr) {
        fprintf(stderr, "tickbench: no display surface\n");
        return 1;
    }
    LoadSheets();
    ResetGameState();
    for (const Case &c : CASES) {
        Run(c, false);
        Run(c, true);
    }
    printf("\n");
    return 0;
}
