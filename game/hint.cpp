// The hint: the next move of a shortest solution, played for the player.
// This file keeps the hints asked for and begins each from the board as it
// stands; the slide itself, drawn and sounded on the frame timer's tick, is in
// hintslide.cpp. Kept apart so that resetting the game state never pulls the
// drawing into programs that only read or reset it.
#include "assist.h"

Uint8 hintsQueued = 0;
HintSlide hintSlide = {};

// Begins the next queued hint from the board as it stands, or carries its
// search on; the slide begins on the tick the search has its answer.
void BeginHint() {
    HintMove m;
    int moves;
    if (HintSearchUnderWay()) {
        moves = HintSearchStep(HINT_SLICE, &m);
    } else {
        hintsQueued--;
        moves = HintSearchBegin(&m);
        if (moves < 0) moves = HintSearchStep(HINT_SLICE, &m);
    }
    if (moves < 0) return; // the search goes on next tick
    if (moves == 0) {
        // No way out found: no hint now, and none of those still queued.
        hintsQueued = 0;
        return;
    }
    hintSlide.active = 1;
    hintSlide.block = m.block;
    hintSlide.to = m.to;
    hintSlide.fromX = BL[m.block].x;
    hintSlide.fromY = BL[m.block].y;
}

void AskHint() {
    if (GAME == GAME_PLAYING && hintsQueued < HINTS_QUEUED_MAX) hintsQueued++;
}

Uint8 HintSliding() {
    return hintSlide.active;
}

int HintsQueued() {
    return hintsQueued;
}

void DropQueuedHints() {
    hintsQueued = 0;
    HintSearchAbandon();
}

void ResetAssist() {
    ClearHistory();
    hintsQueued = 0;
    HintSearchAbandon();
    hintSlide.active = 0;
}
