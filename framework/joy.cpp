// Hardware buttons: the joysticks SDL reports, and one flag per named button.
#include <cstdio>

#include "joy.h"

Sint8 numJOY = 0;
Uint8 isAkey = 0, isBkey = 0, isXkey = 0, isYkey = 0, isLkey = 0, isRkey = 0, isHomeKey = 0,
      isIKey = 0, isIIKey = 0, isTactKey = 0;
SDL_Joystick *_joystick[5] = {};

const int JOY_SLOTS = (int)(sizeof _joystick / sizeof _joystick[0]);

// The flag of a button number, or null for numbers that name no button.
static Uint8 *FlagOf(Uint8 button) {
    switch (button) {
    case 0:
        return &isAkey;
    case 1:
        return &isXkey;
    case 2:
        return &isBkey;
    case 3:
        return &isYkey;
    case 4:
        return &isLkey;
    case 5:
        return &isRkey;
    case 6:
        return &isHomeKey;
    case 8:
        return &isIKey;
    case 9:
        return &isIIKey;
    case 16:
        return &isTactKey;
    default:
        return nullptr;
    }
}

void InitStick() {
    numJOY = (Sint8)SDL_NumJoysticks();
    // Only five handles fit; any further joystick is left closed. Its buttons
    // still arrive only from open joysticks, so it simply goes unheard.
    for (Uint8 i = 0; i < numJOY && i < JOY_SLOTS; i++) {
        _joystick[i] = SDL_JoystickOpen(i);
        int axes = SDL_JoystickNumAxes(_joystick[i]);
        int hats = SDL_JoystickNumHats(_joystick[i]);
        int buttons = SDL_JoystickNumButtons(_joystick[i]);
        printf("Joy[%d] - [%d Axes], [%d Hats], [%d buttons]\n", i, axes, hats, buttons);
    }
}

void KeyDown(SDL_Event event) {
    Uint8 *flag = FlagOf(event.jbutton.button);
    if (flag) *flag = 1;
}

void KeyUp(SDL_Event event) {
    Uint8 *flag = FlagOf(event.jbutton.button);
    if (flag) *flag = 0;
}

void AllKeyClear() {
    isAkey = isBkey = isXkey = isYkey = isLkey = isRkey = 0;
    isHomeKey = isIKey = isIIKey = isTactKey = 0;
}

void WaitKey() {
    SDL_Event event;
    for (;;) {
        if (SDL_PollEvent(&event) && event.type == SDL_JOYBUTTONDOWN) break;
    }
    for (;;) {
        if (!SDL_PollEvent(&event)) continue;
        KeyUp(event);
        if (event.type == SDL_JOYBUTTONUP) break;
    }
    AllKeyClear();
}
