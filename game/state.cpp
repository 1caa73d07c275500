// The game state shared by the event loop and the frame timer.
#include "tombslide.h"

Uint8 GAME = GAME_PLAYING;
Sint16 currStage = 0;
Sint16 movePoint = 0;
Uint8 isClear[STAGE_COUNT];
Uint8 bestMove[STAGE_COUNT];
Uint8 isFirst = 1;
Sint16 pauseCount = 0;
SDL_TimerID tmFrame = {}; // no timer (a pointer in SDL 1.2, a number in the browser's)
Uint8 checked = 0;
Uint8 ckPH = 0;
Sint16 ckX = 0, ckY = 0;
Uint8 _isBL = 0;
Sint16 ox = 0, oy = 0;
Sint16 moved = 0;
Uint32 score = 0;
