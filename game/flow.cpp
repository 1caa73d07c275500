// Game flow: starting, restarting and changing stages, and the 100 ms frame
// timer that does all the drawing and runs the stage-clear pause.
//
// The frame timer's callback runs on SDL's timer thread and the events are
// handled on the main thread; both hold gameLock while they touch the game.
//
// Why the timer is never replaced under the lock: with SDL 1.2 the timer
// thread may hold SDL's own timer mutex while it runs DrawSet, and DrawSet
// waits for gameLock. If the main thread held gameLock and called
// SDL_RemoveTimer or SDL_AddTimer (which take SDL's timer mutex), each
// thread would wait for the other for ever. So Start only marks the timer
// stale; the main thread replaces it after releasing gameLock
// (HandleEvent's caller, and main at start-up). A stage started by the timer
// itself, at the end of the pause, keeps the running timer: its next tick
// comes one period later, just as the first tick of a fresh timer would.
#include <cstdio>

#include "assist.h"
#include "tombslide.h"

SDL_mutex *gameLock = nullptr;
Uint8 frameTimerStale = 0;
Uint8 frameTimerOff = 0;

void LockGame() {
    if (!gameLock) gameLock = SDL_CreateMutex();
    SDL_mutexP(gameLock);
}

void UnlockGame() {
    SDL_mutexV(gameLock);
}

// Main thread only, without the game lock.
void ReplaceFrameTimer() {
    if (!gameLock) gameLock = SDL_CreateMutex(); // before any tick can want it
    // No timer yet on the first start; the 1.2 layer over SDL 2 would not
    // survive being asked to remove a null one.
    if (tmFrame) SDL_RemoveTimer(tmFrame);
    tmFrame = SDL_AddTimer(FRAME_PERIOD, DrawSet, nullptr);
}

void Start() {
    printf("\nStart");
    ox = BL[0].x;
    oy = BL[0].y;
    _isBL = 0;
    checked = 0;
    ckPH = 0;
    // A step still waiting to be drawn belongs to a board that is about to be
    // drawn whole: drop it, so that the next tick never draws it for block 0
    // with a position that is not block 0's.
    moved = 0;
    if (GAME != GAME_RESUMING) {
        InitStage();
        movePoint = 0;
    }
    GAME = GAME_PLAYING;
    isFirst = 1;
    frameTimerStale = 1;
    ResetAssist(); // a stage's undo history and hints begin with it
}

Uint8 StageNext() {
    if (currStage > STAGE_COUNT - 2) return 0;
    currStage++;
    Start();
    return 1;
}

Uint8 StagePrevious() {
    if (currStage == 0) return 0;
    currStage--;
    Start();
    return 1;
}

// The step the main thread made: the strip the block swept, then its new
// position as the last drawn one; moved is cleared last.
void DrawStep() {
    PutBackPH(ckPH);
    ox = BL[ckPH].x;
    oy = BL[ckPH].y;
    moved = 0;
}

static void DrawStatus() {
    DrawBest();
    DrawRoomNo();
    DrawScore();
}

// One tick of the stage-clear pause: the banner on its first tick, the next
// stage after the last. On the last stage StageNext refuses and the count
// runs on below zero, wrapping round as a 16-bit value.
static void PauseTick() {
    if (pauseCount == PAUSE_TICKS) {
        DrawPan();
        DrawStatus();
        cLCD.PutSurface(scrImage, 0, 0, 90, 0, 110, 320, 95);
    }
    pauseCount = (Sint16)(pauseCount - 1);
    if (pauseCount == 0) StageNext();
}

static void Tick() {
    if (GAME == GAME_PLAYING) {
        Uint8 whole = isFirst;
        if (isFirst) {
            DrawPan();
            isFirst = 0;
        }
        if (moved != 0) DrawStep();
        // Drawing the whole board takes most of what a tick may cost on the
        // handheld: the hint, its search above all, waits for the next one.
        if (!whole) HintTick();
    } else if (GAME == GAME_CLEARPAUSE) {
        PauseTick();
    }
    if (GAME == GAME_PLAYING) DrawStatus();
    DrawScreen();
}

// Shutting SDL down closes the display before it stops the timers (under
// SDL 2 at least), so a tick must not be left drawing into a display that is
// being torn down. Once this has returned, no tick draws again: any tick in
// progress has finished (it held the lock), and later ones find the flag.
void StopFrameTimer() {
    LockGame();
    frameTimerOff = 1;
    UnlockGame();
}

Uint32 DrawSet(Uint32 interval, void *) {
    LockGame();
    if (frameTimerOff) {
        UnlockGame();
        return 0; // ends this timer
    }
    Tick();
    // A stage this tick started keeps this timer (see the top of the file).
    frameTimerStale = 0;
    UnlockGame();
    return interval;
}
