// Entry point. Start-up, the event loop and shutdown live in events.cpp so
// that the tests link everything but this.
#include <cstdio>
#include <cstdlib>

#include "joy.h"
#include "tombslide.h"

int main(int, char **) {
    puts("\nmain");
    if (!Init()) return 1;
    SDL_ShowCursor(SDL_DISABLE);
    atexit(Quit);
    InitStick();
    BeginGame();
    ReplaceFrameTimer();
    EventLoop();
    EndGame();
    return 0;
}
