// The hint: the next move of a shortest solution, played for the player. The
// block slides one cell per tick of the frame timer, through the board's own
// step rules, with the step sound, and each step is drawn on the tick that
// makes it; the slide counts one move when it ends, as a drag does.
#include "assist.h"

namespace {

Uint8 queued = 0; // hints asked for and not yet begun

// The slide under way.
struct Slide {
    Uint8 active;
    Uint8 block;
    Sint8 to;           // where the head is going along the block's axis
    Sint8 fromX, fromY; // where it stood when the slide began
};
Slide slide = {};

Sint8 AxisPos(const _bl &b, Uint8 bl) {
    return typeBL(bl) == 0 ? b.x : b.y;
}

// The end of a slide that did not take the target out: one move, if the
// block went anywhere.
void EndSlide() {
    slide.active = 0;
    const _bl &b = BL[slide.block];
    if (b.x == slide.fromX && b.y == slide.fromY) return;
    CountMove();
    RecordMove(slide.block, slide.fromX, slide.fromY);
}

// One cell of the slide, made by the board's rules as a drag's step is, with
// the block as the held one and its head as the held cell. No block is held
// by the player while a hint slides (a touch selects none then).
void SlideStep() {
    Uint8 bl = slide.block;
    _bl &b = BL[bl];
    ckPH = bl;
    ckX = b.x;
    ckY = b.y;
    ox = b.x;
    oy = b.y;
    Sint8 step = slide.to > AxisPos(b, bl) ? BlockDOWN() : BlockUP();
    if (GAME != GAME_PLAYING) {
        // The drag out: the rules counted it and cleared the stage.
        slide.active = 0;
        queued = 0;
        return;
    }
    if (step != 0) {
        PutBackPH(bl);
        ox = b.x;
        oy = b.y;
        Mix_PlayChannelTimed(-1, wav[0], 0, -1);
    }
    if (step == 0 || AxisPos(b, bl) == slide.to) EndSlide();
}

// Begins the next queued hint from the board as it stands.
void BeginHint() {
    queued--;
    HintMove m;
    if (FindHint(&m) == 0) {
        // No way out found: no hint now, and none of those still queued.
        queued = 0;
        return;
    }
    slide.active = 1;
    slide.block = m.block;
    slide.to = m.to;
    slide.fromX = BL[m.block].x;
    slide.fromY = BL[m.block].y;
}

} // namespace

void AskHint() {
    if (GAME == GAME_PLAYING && queued < HINTS_QUEUED_MAX) queued++;
}

void HintTick() {
    // Once the game is ending, nothing more is played: the sound is about to
    // be released.
    if (GAME != GAME_PLAYING || done) return;
    if (!slide.active) {
        if (queued == 0 || checked || moved != 0) return;
        BeginHint();
        if (!slide.active) return;
    }
    SlideStep();
}

Uint8 HintSliding() {
    return slide.active;
}

int HintsQueued() {
    return queued;
}

void DropQueuedHints() {
    queued = 0;
}

void ResetAssist() {
    ClearHistory();
    queued = 0;
    slide.active = 0;
}
