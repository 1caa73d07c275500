// The history of the current stage's moves, for taking them back.
#include <cstring>

#include "assist.h"

namespace {

// Where a moved block's head stood before its move.
struct PastMove {
    Uint8 block;
    Sint8 x, y;
};

PastMove history[HISTORY_MOVES];
int historyLength = 0;

} // namespace

void RecordMove(Uint8 bl, Sint8 x, Sint8 y) {
    if (historyLength == HISTORY_MOVES) {
        // Full: the oldest move is forgotten.
        memmove(history, history + 1, sizeof history - sizeof history[0]);
        historyLength--;
    }
    history[historyLength++] = PastMove{bl, x, y};
}

Uint8 UndoMove() {
    if (GAME != GAME_PLAYING) return 0;
    // Asking to go back also stops the hints still waiting.
    DropQueuedHints();
    if (checked || moved != 0 || HintSliding() || historyLength == 0) return 0;
    const PastMove &m = history[--historyLength];
    if (m.block >= mxPH) return 0;
    BL[m.block].x = m.x;
    BL[m.block].y = m.y;
    if (movePoint > 0) movePoint--;
    // The block may have gone several cells: the next tick draws the board
    // whole, as at a stage's start.
    isFirst = 1;
    return 1;
}

void ClearHistory() {
    historyLength = 0;
}

int HistoryLength() {
    return historyLength;
}
