// Entry point. Start-up, the event loop and shutdown live in events.cpp so
// that the tests link everything but this.
#include <cstdio>
#include <cstdlib>

#include "joy.h"
#include "tombslide.h"

int main(int, char **) {
    puts("\nmain");
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
    EndGame();
    return 0;
}
