// Entry point. Start-up, the event loop and shutdown live in events.cpp so
// that the tests link everything but this.
#include <cstdio>
#include <cstdlib>

#include "joy.h"
#include "tombslide.h"

// On a desktop one copy plays per data folder. The lock is taken before any
// static object is built, so that a second copy ends before it opens a
// display of its own: it would cover the first copy's full screen, or with
// the classic library wait for ever for the first copy's hold on the pointer.
__attribute__((constructor(101))) static void LockBeforeDisplay() {
    if (!OnHandheld() && !LockDataFolder()) exit(1);
}

// A start that fails ends with status 1, reading, writing and executing
// nothing. The display was opened before main (the surface manager does that
// during static initialisation), so it is closed first: on the handheld an
// open framebuffer leaves the console in graphics mode, and the menu that
// its launcher starts next would hang setting up its own screen.
static int StartFailed() {
    SDL_Quit();
    return 1;
}

int main(int, char **) {
    puts("\nmain");
    // On a desktop: a display the player can see, before anything is read or
    // written.
    if (!OnHandheld() && !CheckDisplay()) return StartFailed();
    if (!Init()) return StartFailed();
    CatchHangUp();
    if (!OnHandheld()) FitWindow();
    // The touch panel has no pointer to show. A desktop keeps its pointer:
    // there SDL 1.2 over SDL 2 turns a hidden cursor in a full-screen mode into
    // relative mouse mode, and the player would be clicking blind.
    if (OnHandheld()) SDL_ShowCursor(SDL_DISABLE);
    atexit(Quit);
    InitStick();
    BeginGame();
    ReplaceFrameTimer();
    EventLoop();
    // A save that failed has said why; on a desktop the status says so too.
    if (!EndGame() && !OnHandheld()) return 2;
    return 0;
}
