// The whole game state back to a fresh start, for the tests and the fuzz
// target. Kept apart from state.cpp so that a program that only reads a save
// (savedump) does not link the hint's search and its tables.
#include <cstring>

#include "assist.h"
#include "tombslide.h"

void ResetGameState() {
    GAME = GAME_PLAYING;
    currStage = 0;
    movePoint = 0;
    memset(isClear, 0, sizeof isClear);
    memset(bestMove, 99, sizeof bestMove);
    isFirst = 1;
    pauseCount = 0;
    checked = 0;
    ckPH = 0;
    ckX = ckY = 0;
    _isBL = 0;
    ox = oy = 0;
    moved = 0;
    score = 0;
    memcpy(stage, _STAGE[0].data, sizeof stage);
    LayoutBlocks(stage);
    // No moves to take back, no hints asked for, the search at its full size.
    ResetAssist();
    hintStatesMax = HINT_STATES;
}
