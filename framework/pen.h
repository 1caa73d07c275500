// Touch panel helpers: the pen arrives as mouse events.
#ifndef FRAMEWORK_PEN_H
#define FRAMEWORK_PEN_H

#include "SDL.h"

// 1 when the event's point lies strictly inside the rectangle, else 0.
Uint8 PenRect(SDL_Event event, Uint16 x, Uint16 y, Uint16 w, Uint16 h);

#endif
