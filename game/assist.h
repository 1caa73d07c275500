// Help for the player beyond the plain rules: taking moves back (undo.cpp)
// and being shown the way out (hint.cpp, with the search in hintsearch.cpp).
//
// Everything here runs under the game lock: the presses on the main thread
// (HandleEvent), the hint's slide on the frame timer's tick (DrawSet).
#ifndef GAME_ASSIST_H
#define GAME_ASSIST_H

#include "tombslide.h"

// ---------------------------------------------------------------------------
// Undo (undo.cpp)

// Moves the history keeps; older ones are forgotten first.
const int HISTORY_MOVES = 1024;

// Remembers a move of block bl that has just been counted: (x, y) is where
// its head stood before the move.
void RecordMove(Uint8 bl, Sint8 x, Sint8 y);
// Takes back the last recorded move: the block goes back, the count down by
// one, and the next tick draws the whole board. Only while playing with no
// block held, no step waiting to be drawn and no hint sliding; it also drops
// hints still waiting and the search for the next one. 1 when a move was
// taken back.
Uint8 UndoMove();
// Forgets every recorded move (a stage started, restarted or resumed).
void ClearHistory();
// Moves that UndoMove can take back.
int HistoryLength();

// ---------------------------------------------------------------------------
// Hint search (hintsearch.cpp)

// The next move of a shortest solution from the board in BL: block `block`
// slides until its head's x (horizontal) or y (vertical) is `to`; for the
// target block, `to` 6 is the drag out of the board.
struct HintMove {
    Uint8 block;
    Sint8 to;
};

// States the search may hold; a board that needs more gets no hint. The
// largest set of positions reachable from any stage's start holds 109,417
// (the second stage), so every board a player can reach gets its hint.
const int HINT_STATES = 1 << 17;
// The bound in force, HINT_STATES unless lowered (the tests lower it to see
// a search run out of room).
extern int hintStatesMax;

// Finds the next move of a shortest solution from the board in BL. Returns
// the number of moves that solution takes, the drag out included (at least
// 1), with the first in *move; or 0 when there is none: no way out, a board
// the search cannot read, or more states than HINT_STATES. Reads BL and
// mxPH only; neither prints nor calls the board's rules. The whole search at
// once: a search under way in slices is forgotten.
int FindHint(HintMove *move);

// The same search in slices, so that no single call takes long: the frame
// timer carries it on a bounded number of positions a tick.
// Begins a search from the board in BL. When the answer needs no search (a
// free way out, a board on the kept path, a board the search cannot read) it
// is returned at once, as FindHint returns it; otherwise -1, and the search
// is under way.
int HintSearchBegin(HintMove *move);
// Carries the search under way on by at most `positions` more positions
// (each one's moves all tried). -1 while it goes on; else its answer, as
// FindHint's, for the board in BL: if the blocks are no longer those the
// search began from, it begins again from the board as it stands first.
int HintSearchStep(int positions, HintMove *move);
// 1 while a search is under way.
Uint8 HintSearchUnderWay();
// Forgets the search under way, if any.
void HintSearchAbandon();
// States the last search that ran went through (for the benchmark).
int HintStatesSearched();

// ---------------------------------------------------------------------------
// Hint (hint.cpp, hintslide.cpp)

// Hints asked for and not yet begun are kept up to this many.
const int HINTS_QUEUED_MAX = 99;

// Positions of the hint's search a tick of the frame timer goes through at
// most. A position costs up to about 2,000 ARM instructions (make bench-arm):
// the costliest tick of a hint, its drawing included, runs about 8 M, half
// of what a tick may run on the handheld; the longest search takes 6 ticks.
const int HINT_SLICE = 4096;

// Asks for a hint: while playing, one more hint move is queued. The frame
// timer begins it once no block is held or moving.
void AskHint();
// The frame timer's part, once per tick while playing, after the pending
// step has been drawn, but not on a tick that draws the whole board: begins
// a queued hint's search or carries it on by HINT_SLICE positions, or makes
// the next one-cell step of the hint's slide, draws it and plays the step
// sound. The slide begins on the tick its search ends. While a block is held
// the search waits; a search whose board changed meanwhile (the player's
// drag) begins again from the board as it stands. The slide counts one move
// when it ends, as a drag does at its touch-up; the drag out counts itself in
// the board's rules.
void HintTick();
// 1 while a hint's block is sliding.
Uint8 HintSliding();
// Hints queued and not yet begun.
int HintsQueued();
// Forgets the hints queued and not yet begun, and a search under way; a
// slide under way goes on.
void DropQueuedHints();

// The hint's own state, shared by hint.cpp (asking and beginning) and
// hintslide.cpp (the slide on the frame timer's tick).
struct HintSlide {
    Uint8 active;
    Uint8 block;
    Sint8 to;           // where the head is going along the block's axis
    Sint8 fromX, fromY; // where it stood when the slide began
};
extern HintSlide hintSlide;
extern Uint8 hintsQueued; // hints asked for and not yet begun
// Begins the next queued hint from the board as it stands, or carries its
// search on by one slice.
void BeginHint();

// Forgets the history, the queued hints, any search and any slide (called by
// Start).
void ResetAssist();

#endif
