// Start-up, the event loop with its touch and button handling, and shutdown.
#include <cstdio>
#include <cstring>

#include <csignal>

#include <unistd.h>

#include "assist.h"
#include "joy.h"
#include "tombslide.h"

Sint8 done = 0;
Mix_Chunk *wav[3] = {};
SDL_Rect mRec[4];
Uint8 sx = 0, sy = 0;

namespace {

const Sint16 BUTTON_TOP = 210; // the button bar's first row
const Sint16 BUTTON_W = 30;
enum { BUTTON_PREVIOUS, BUTTON_RESTART, BUTTON_NEXT, BUTTON_QUIT };
// Joystick button numbers of the handheld buttons that the game acts on.
enum { BUTTON_L = 4, BUTTON_R = 5, BUTTON_HOME = 6, BUTTON_I = 8 };
// Beyond those: B takes a move back, A plays a hint, each on its own press
// only (they do not repeat while held as the four above do).
enum { BUTTON_A = 0, BUTTON_B = 2 };

// Board column or row under a screen coordinate at least 30. A coordinate far
// beyond the screen counts as cell 255, which no block reaches, rather than
// wrapping round onto the board.
Uint8 CellOf(Uint16 p) {
    int c = (p - 30) / 30;
    return (Uint8)(c > 255 ? 255 : c);
}

void PressButton(int i) {
    switch (i) {
    case BUTTON_PREVIOUS:
        StagePrevious();
        break;
    case BUTTON_RESTART:
        Start();
        break;
    case BUTTON_NEXT:
        StageNext();
        break;
    case BUTTON_QUIT:
        done = 1;
        break;
    }
}

void TouchDown(Uint16 x, Uint16 y) {
    // A touch ends the stage-clear pause and is then handled as in play.
    if (GAME == GAME_CLEARPAUSE) StageNext();
    for (int i = 0; i < 4; i++)
        if (mRec[i].x <= x && x <= mRec[i].x + BUTTON_W && y >= BUTTON_TOP) PressButton(i);
    if (GAME != GAME_PLAYING) return;
    // The restart corner, mostly inside the previous button.
    if (4 <= x && x <= 26 && 214 <= y && y <= 239) {
        Start();
        return;
    }
    if (x < 30 || y < 30) return;
    if (HintSliding()) return; // the board is the hint's until its slide ends
    Uint8 cx = CellOf(x), cy = CellOf(y);
    if (!isBlock(cx, cy)) return;
    // A step of the block held before may still wait for the next tick; draw
    // it now, while ckPH, ox and oy still name that block, so that it is
    // neither lost on screen nor drawn for the block about to be held.
    if (moved != 0) DrawStep();
    Uint8 k = _isBL;
    ckPH = k;
    sx = (Uint8)BL[k].x;
    ox = BL[k].x;
    sy = (Uint8)BL[k].y;
    oy = BL[k].y;
    checked = 1;
    ckX = cx;
    ckY = cy;
}

void DragStep(Uint16 x, Uint16 y) {
    if (GAME != GAME_PLAYING || checked != 1 || moved != 0 || x < 30 || y < 30) return;
    Uint8 cx = CellOf(x), cy = CellOf(y);
    if (cx == ckX && cy == ckY) return;
    moved = MovePH(cx, cy);
    if (moved != 0) Mix_PlayChannelTimed(-1, wav[0], 0, -1);
}

void TouchUp() {
    if (GAME != GAME_PLAYING) return;
    AllKeyClear();
    if (checked == 1 && (BL[ckPH].x != (Sint8)sx || BL[ckPH].y != (Sint8)sy)) {
        CountMove();
        RecordMove(ckPH, (Sint8)sx, (Sint8)sy);
    }
    checked = 0;
}

void ButtonPress(const SDL_Event &event) {
    KeyDown(event);
    if (isIKey) Start();
    if (isLkey) StagePrevious();
    if (isRkey) StageNext();
    if (isHomeKey && GAME == GAME_PLAYING) {
        done = 1;
        DrawScreen();
    }
    if (event.jbutton.button == BUTTON_B) UndoMove();
    if (event.jbutton.button == BUTTON_A) AskHint();
}

// The handheld button a desktop key stands for, or -1: Left and Page Up are
// L, Right and Page Down are R, Backspace is I and Escape is Home; U and
// Ctrl+Z are B (undo), H is A (hint). Z without Ctrl is pressed as nothing,
// but its release still lets go of B.
// The modifiers are taken as a plain number: SDL 1.2 gives them as SDLMod,
// the browser's SDL as a 16-bit field.
int ButtonOfKey(SDLKey key, int mod, bool press) {
    switch (key) {
    case SDLK_u:
        return BUTTON_B;
    case SDLK_z:
        return !press || (mod & KMOD_CTRL) ? BUTTON_B : -1;
    case SDLK_h:
        return BUTTON_A;
    case SDLK_LEFT:
    case SDLK_PAGEUP:
        return BUTTON_L;
    case SDLK_RIGHT:
    case SDLK_PAGEDOWN:
        return BUTTON_R;
    case SDLK_BACKSPACE:
        return BUTTON_I;
    case SDLK_ESCAPE:
        return BUTTON_HOME;
    default:
        return -1;
    }
}

// A key that stands for a button is handled as that button's press or
// release, through the same flags.
void KeyEvent(const SDL_Event &event) {
    int button = ButtonOfKey(event.key.keysym.sym, event.key.keysym.mod, event.type == SDL_KEYDOWN);
    if (button < 0) return;
    SDL_Event e = {};
    e.type = event.type == SDL_KEYDOWN ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
    e.jbutton.type = e.type;
    e.jbutton.button = (Uint8)button;
    if (e.type == SDL_JOYBUTTONDOWN)
        ButtonPress(e);
    else
        KeyUp(e);
}

void DispatchEvent(const SDL_Event &event) {
    switch (event.type) {
    case SDL_MOUSEMOTION:
        DragStep(event.motion.x, event.motion.y);
        break;
    case SDL_MOUSEBUTTONDOWN:
        TouchDown(event.button.x, event.button.y);
        break;
    case SDL_MOUSEBUTTONUP:
        TouchUp();
        break;
    case SDL_JOYBUTTONDOWN:
        ButtonPress(event);
        break;
    case SDL_JOYBUTTONUP:
        KeyUp(event);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        KeyEvent(event);
        break;
    case SDL_QUIT:
        // The sounds stay until the loop has ended: motion queued behind this
        // event may still take a step and play one.
        done = 1;
        break;
    default:
        break;
    }
}

} // namespace

int Init() {
    printf("\nInit...");
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0) {
        printf("Unable to init SDL: %s\n", SDL_GetError());
        return 0;
    }
    // Without a display there is nothing to play on: stop here, before
    // anything is loaded or written (the surface manager has said why).
    if (cLCD.scr[0] == nullptr) return 0;
    if (Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 2048) < 0) {
        // Without a sound device (none, or one another program holds: the
        // handheld's allows one open at a time) the game plays silent;
        // steps then play the null chunk, which the mixer refuses.
        const char *why = SDL_GetError();
        printf("\nUnable to open audio: %s; playing without sound\n",
               *why != '\0' ? why : "no sound device");
    }
    LoadSheets();
    wav[0] = LoadSound("drag.wav");
    const Sint16 left[4] = {6, 40, 74, 223};
    for (int i = 0; i < 4; i++) {
        mRec[i].x = left[i];
        mRec[i].y = BUTTON_TOP;
        mRec[i].w = BUTTON_W;
        mRec[i].h = BUTTON_W;
    }
    // No best count yet for any stage, the last one included.
    memset(bestMove, 99, sizeof bestMove);
    if (!gameLock) gameLock = SDL_CreateMutex();
    printf("\nInit Success.");
    return 1;
}

// The exit routine: stops the frame timer and SDL, then hands the handheld
// over to its launcher.
void Quit() {
    StopFrameTimer();
    // SDL's timer thread ends first, while the libraries it drew through are
    // still loaded: a driver that renders through EGL leaves a per-thread
    // destructor in libEGL behind on that thread, and SDL_Quit unloads libEGL
    // with the video before it stops the timers.
    SDL_QuitSubSystem(SDL_INIT_TIMER);
    SDL_Quit();
    // The handheld's launcher takes the program's place; on a desktop there is
    // none and the process simply ends.
    if (chdir("/usr/gp2x") != 0) {
    }
    execl(LAUNCHER, LAUNCHER, (char *)nullptr);
}

Uint8 HandleEvent(const SDL_Event &event) {
    LockGame();
    DispatchEvent(event);
    Uint8 stale = frameTimerStale;
    frameTimerStale = 0;
    UnlockGame();
    return stale;
}

void EventLoop() {
    SDL_Event event;
    // done is examined only with the queue empty, so every event already
    // queued when it is set is still handled. An empty queue is waited on,
    // not polled again at once, so the loop does not keep a core busy.
    while (!done) {
        if (!SDL_WaitEvent(&event)) {
            SDL_Delay(10); // the wait failed: do not spin on the failure
            continue;
        }
        do {
            if (HandleEvent(event)) ReplaceFrameTimer();
        } while (SDL_PollEvent(&event));
    }
}

void BeginGame() {
    LockGame();
    LoadGame();
    Start();
    frameTimerStale = 0; // main installs the first timer itself
    UnlockGame();
}

Uint8 EndGame() {
    for (int i = 0; i < 3; i++) {
        Mix_FreeChunk(wav[i]);
        wav[i] = nullptr;
    }
    LockGame();
    Uint8 saved = SaveGame();
    UnlockGame();
    return saved;
}
