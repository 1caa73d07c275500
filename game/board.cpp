// The rules of the board: which block covers a cell, how the held block steps
// toward the pen, and what a clear records. Nothing here draws.
#include <cstdio>

#include "tombslide.h"

Uint8 isBlock(Uint8 x, Uint8 y) {
    printf("\nisBlock");
    for (int i = 0; i < mxPH; i++) {
        const _bl &b = BL[i];
        if (x >= b.x && x < b.x + b.w && y >= b.y && y < b.y + b.h) {
            _isBL = (Uint8)i;
            return 1;
        }
    }
    return 0;
}

Sint8 BlockUP() {
    _bl &b = BL[ckPH];
    if (typeBL(ckPH) == 0) {
        if (b.x != 0 && !isBlock((Uint8)(b.x - 1), (Uint8)ckY)) {
            b.x--;
            ckX--;
            return -1;
        }
    } else {
        if (b.y != 0 && !isBlock((Uint8)ckX, (Uint8)(b.y - 1))) {
            b.y--;
            ckY--;
            return -1;
        }
    }
    return 0;
}

// A horizontal block's step right. Only the target may leave the board: any
// other block that would cross the right edge is stepped back at once.
static Sint8 StepRight(_bl &b) {
    // No edge test first: beyond column 5 a cell is free unless the target
    // block itself lies there.
    if (isBlock((Uint8)(b.x + b.w), (Uint8)ckY)) return 0;
    b.x++;
    ckX++;
    if (b.type != TYPE_TARGET) {
        if (b.x + b.w > 6) {
            BlockUP();
            return 0;
        }
        return 1;
    }
    if (b.x == 6) {
        // The drag that takes the target out counts here: its touch-up comes
        // in the clear pause, where touch-ups count nothing.
        CountMove();
        StageClear();
        return 0;
    }
    return 1;
}

Sint8 BlockDOWN() {
    _bl &b = BL[ckPH];
    if (typeBL(ckPH) == 0) return StepRight(b);
    if (b.y + b.h > 5) return 0;
    if (isBlock((Uint8)ckX, (Uint8)(b.y + b.h))) return 0;
    b.y++;
    ckY++;
    return 1;
}

Sint8 MovePH(Uint8 x, Uint8 y) {
    if (typeBL(ckPH) == 0) {
        if (y != ckY) return 0;
        if (x < ckX) return BlockUP();
        if (x > ckX) return BlockDOWN();
    } else {
        if (x != ckX) return 0;
        if (y < ckY) return BlockUP();
        if (y > ckY) return BlockDOWN();
    }
    return 0;
}

void CountMove() {
    // Stopping, not wrapping round: a negative count would spoil the save
    // and pass for a best.
    if (movePoint < MOVES_MAX) movePoint++;
}

void StageClear() {
    GAME = GAME_CLEARPAUSE;
    pauseCount = 100;
    // Every stage, the last one included, has its own progress entry; an index
    // outside the catalogue records nothing.
    if (currStage < 0 || currStage >= STAGE_COUNT) return;
    isClear[currStage] = 1;
    if (movePoint < bestMove[currStage]) bestMove[currStage] = (Uint8)(movePoint & 0xFF);
}
