// The hint's slide: the block slides one cell per tick of the frame timer,
// through the board's own step rules, with the step sound, and each step is
// drawn on the tick that makes it; the slide counts one move when it ends, as
// a drag does.
#include "assist.h"

namespace {

Sint8 AxisPos(const _bl &b, Uint8 bl) {
    return typeBL(bl) == 0 ? b.x : b.y;
}

// The end of a slide that did not take the target out: one move, if the
// block went anywhere.
void EndSlide() {
    hintSlide.active = 0;
    const _bl &b = BL[hintSlide.block];
    if (b.x == hintSlide.fromX && b.y == hintSlide.fromY) return;
    CountMove();
    RecordMove(hintSlide.block, hintSlide.fromX, hintSlide.fromY);
}

// One cell of the slide, made by the board's rules as a drag's step is, with
// the block as the held one and its head as the held cell. No block is held
// by the player while a hint slides (a touch selects none then).
void SlideStep() {
    Uint8 bl = hintSlide.block;
    _bl &b = BL[bl];
    ckPH = bl;
    ckX = b.x;
    ckY = b.y;
    ox = b.x;
    oy = b.y;
    Sint8 step = hintSlide.to > AxisPos(b, bl) ? BlockDOWN() : BlockUP();
    if (GAME != GAME_PLAYING) {
        // The drag out: the rules counted it and cleared the stage.
        hintSlide.active = 0;
        hintsQueued = 0;
        return;
    }
    if (step != 0) {
        PutBackPH(bl);
        ox = b.x;
        oy = b.y;
        Mix_PlayChannelTimed(-1, wav[0], 0, -1);
    }
    if (step == 0 || AxisPos(b, bl) == hintSlide.to) EndSlide();
}

} // namespace

void HintTick() {
    // Once the game is ending, nothing more is played: the sound is about to
    // be released.
    if (GAME != GAME_PLAYING || done) return;
    if (!hintSlide.active) {
        // A block held or a step to draw: the next hint, or the search for
        // it, waits (a search under way starts again if the board changed).
        if ((hintsQueued == 0 && !HintSearchUnderWay()) || checked || moved != 0) return;
        BeginHint();
        if (!hintSlide.active) return;
    }
    SlideStep();
}
