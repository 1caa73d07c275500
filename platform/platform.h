// The platform layer, apart from the game: the desktop's window and display,
// the data folder's lock, signals, whether the handheld's launcher is there,
// and opening the game's files safely. It knows nothing of the game's rules
// or state.
#ifndef PLATFORM_PLATFORM_H
#define PLATFORM_PLATFORM_H

#include "SDL.h"
#include "SDL_mixer.h"

// ---------------------------------------------------------------------------
// The window and the display (window.cpp; in the browser, where there is no
// window to fit, platform/web/web.cpp defines PrepareWindow alone)

// Starts SDL and sets the window's title and icon (and on a desktop asks for
// sharp scaling) before the display is opened. 1 when all of it was done.
int PrepareWindow();
// On a desktop, once the display is open: whole-number scaling, and a window
// that covers the display also without a window manager, or with
// TOMBSLIDE_WINDOW set (a scale, 0 for the largest that fits) a framed window.
void FitWindow();
// On a desktop, before anything is read: 0, having said so, when SDL fell back
// to a video driver that cannot be played on (offscreen, dummy, or text on
// the terminal) that the player did not name in SDL_VIDEODRIVER.
Uint8 CheckDisplay();
// On a desktop, before the display is opened: locks the data folder (the
// working directory) for this process's life. 0, having printed "Tomb Slide is
// already running", when another copy holds it.
Uint8 LockDataFolder();

// ---------------------------------------------------------------------------
// The system around the game (system.cpp)

// Makes a hang-up (SIGHUP) end the game as SIGTERM does, which SDL turns
// into its quit event. Called once SDL is running.
void CatchHangUp();
// The handheld's launcher, which takes the program's place when it ends.
extern const char LAUNCHER[];
// 1 on the handheld, where its launcher is installed.
Uint8 OnHandheld();

// ---------------------------------------------------------------------------
// Reading files of the game's folder (files.cpp)

// Opens name for reading when it is a regular file (links followed), without
// opening or blocking on a FIFO or device. Returns the descriptor, or -1 with
// errno set; *notRegular is then set when something other than a regular
// file stands at name.
int OpenRegular(const char *name, bool *notRegular);
// Loads a WAV sound for the mixer from a regular file; null when there is
// none or the mixer refuses it.
Mix_Chunk *LoadSound(const char *name);

#endif
