// Tomb Slide: the shared globals and routines of the game.
//
// Two threads share these globals: the event loop on the main thread and the
// 100 ms frame timer on SDL's timer thread (see flow.cpp).
#ifndef GAME_TOMBSLIDE_H
#define GAME_TOMBSLIDE_H

#include "SDL.h"
#include "SDL_mixer.h"
#include "blockkinds.h"
#include "lcd.h"
#include "menu.h"
#include "platform.h"
#include "quib.h"

// ---------------------------------------------------------------------------
// Stages and the block table (stage.cpp, board.cpp)

const int SAVED_STAGES = 262; // progress entries in the plain save-file layout
const int MAX_BLOCKS = 20;    // size of the block table

// Cell codes, block kinds and the stage count are in blockkinds.h.

// One stage: the board in row-major order, cell (x, y) at 6 * y + x.
struct _st {
    Uint8 data[36];
};

// One block on the board: head cell, size in cells, kind. `moved` is carried
// along but nothing uses it.
struct _bl {
    Sint8 x;
    Sint8 y;
    Uint8 w;
    Uint8 h;
    Uint8 type;
    Uint8 moved;
};

extern const _st _STAGE[STAGE_COUNT];
extern Uint8 stage[36];
extern _bl BL[MAX_BLOCKS];
extern Uint8 mxPH;

// Lays out stage currStage into stage, BL and mxPH.
void InitStage();
// Lays out any layout into BL and mxPH (the work of InitStage).
void LayoutBlocks(const Uint8 data[36]);
// Axis of block bl: 0 horizontal (types 0, 3, 4), 1 vertical (types 1, 2).
Uint8 typeBL(Uint8 bl);

// ---------------------------------------------------------------------------
// Game state (state.cpp)

enum { GAME_PLAYING = 1, GAME_RESUMING = 2, GAME_CLEARPAUSE = 10 };

extern Uint8 GAME;
extern Sint16 currStage;
extern Sint16 movePoint;
// The move count stops here rather than wrapping round.
const Sint16 MOVES_MAX = 32767;
// Progress per stage index. The tables hold an entry for every stage, the
// last one included; the save file's plain layout carries the first 262.
extern Uint8 isClear[STAGE_COUNT];
extern Uint8 bestMove[STAGE_COUNT];
extern Uint8 isFirst;
extern Sint16 pauseCount;
extern SDL_TimerID tmFrame;
extern Uint8 checked;
extern Uint8 ckPH;
extern Sint16 ckX, ckY;
extern Uint8 _isBL;
extern Sint16 ox, oy;
extern Sint16 moved;
extern Uint32 score;
// Puts the game state back to a fresh start without save.dat: stage 0 laid
// out, no moves, nothing held or pending, nothing cleared, every best count
// 99, no undo history and no hints. The frame timer (tmFrame) is left as it
// is.
void ResetGameState();

// ---------------------------------------------------------------------------
// Board rules (board.cpp)

Uint8 isBlock(Uint8 x, Uint8 y);
Sint8 BlockUP();
Sint8 BlockDOWN();
Sint8 MovePH(Uint8 x, Uint8 y);
void StageClear();
// Counts one move; the count stops at MOVES_MAX.
void CountMove();

// ---------------------------------------------------------------------------
// Game flow and frame timer (flow.cpp)

const Uint32 FRAME_PERIOD = 100; // ms between ticks of the frame timer
const Sint16 PAUSE_TICKS = 100;  // ticks of the stage-clear pause

void Start();
Uint8 StageNext();
Uint8 StagePrevious();
Uint32 DrawSet(Uint32 interval, void *param);
// Draws the pending step of block ckPH from (ox, oy), records the block's
// new position in ox, oy and clears moved, in that order.
void DrawStep();

// The game lock: one SDL mutex held around each tick, each event's handling
// and the Home button's present, so that neither thread ever sees the other's
// work half done. LockGame creates it on first use; Init creates it before
// any timer runs.
extern SDL_mutex *gameLock;
void LockGame();
void UnlockGame();

// Set by Start: the frame timer is to be replaced by a fresh one. The main
// thread does that with ReplaceFrameTimer once it has let go of the game lock
// (see flow.cpp for why never under it).
extern Uint8 frameTimerStale;
void ReplaceFrameTimer();

// Set for good by StopFrameTimer: from then on a tick draws nothing and ends
// its timer. Quit sets it before SDL shuts down.
extern Uint8 frameTimerOff;
void StopFrameTimer();

// ---------------------------------------------------------------------------
// Drawing (draw.cpp)

extern ScrIndex scrImage, scrBlock, scrBack, scrDigit;
extern ScrIndex scrMenuBack;
extern Class_LCD cLCD;
extern Class_Quib cQuib;

void DrawPan();
void PutPH(Uint8 bl);
void PutBackPH(Uint8 bl);
void DrawRoomNo();
void DrawBest();
void DrawScore();
void DrawScreen();
// Decodes the four artwork sheets into the next free slots, in the order
// image, frame, background, digits, and keeps their slots in scrImage,
// scrBlock, scrBack and scrDigit. Called once by Init.
void LoadSheets();

// ---------------------------------------------------------------------------
// Save file (save.cpp)

Uint8 SaveGame();
Uint8 LoadGame();
// What a save file's bytes gave: nothing, the progress alone (the board was
// unusable, so the stage starts afresh), or the progress and the board.
enum SaveVerdict { SAVE_NOTHING, SAVE_PROGRESS, SAVE_ALL };
// Reads a save file's bytes into the game state as LoadGame does with
// save.dat, touching no file. *extended is set when the extension record was
// there; why tells what could not be used.
SaveVerdict ReadSave(const Uint8 *data, int len, bool *extended, char *why, size_t whySize);

// ---------------------------------------------------------------------------
// Start-up, events and shutdown (events.cpp, main.cpp)

extern Sint8 done;
extern Mix_Chunk *wav[3];
extern SDL_Rect mRec[4];
extern Uint8 sx, sy;

int Init();
void Quit();

// Handles one event under the game lock. Returns 1 when it started a stage,
// so that the caller replaces the frame timer once the lock is released.
Uint8 HandleEvent(const SDL_Event &event);
// Waits for events and handles them in order until done is found set while
// the queue is empty.
void EventLoop();
// Start-up after InitStick: loads save.dat and starts (or resumes) the stage
// under the game lock. The caller installs the frame timer afterwards.
void BeginGame();
// After the loop: releases the sounds and writes save.dat under the lock.
// Returns SaveGame's result.
Uint8 EndGame();

#endif
