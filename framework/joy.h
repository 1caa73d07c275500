// Hardware buttons, reported by SDL as joystick buttons: one flag per named
// button, 1 while it is held.
#ifndef FRAMEWORK_JOY_H
#define FRAMEWORK_JOY_H

#include "SDL.h"

extern Sint8 numJOY;
extern Uint8 isAkey, isBkey, isXkey, isYkey, isLkey, isRkey, isHomeKey, isIKey, isIIKey, isTactKey;
extern SDL_Joystick *_joystick[5];

void InitStick();
void KeyDown(SDL_Event event);
void KeyUp(SDL_Event event);
void AllKeyClear();
void WaitKey();

#endif
