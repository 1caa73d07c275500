// Entry point. Start-up, the event loop and shutdown live in events.cpp so
// that the tests link everything but this.
#include <cstdio>
#include <cstdlib>

#include "joy.h"
#include "tombslide.h"

int main(int, char **) {
    puts("\nmain");
    // On a desktop: a display the player can see, and no other copy playing
    // in this folder, before anything is read or written.
    if (!OnHandheld() && (!CheckDisplay() || !LockDataFolder())) return 1;
    if (!Init()) return 1;
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
