// Touch panel helpers.
#include "pen.h"

Uint8 PenRect(SDL_Event event, Uint16 x, Uint16 y, Uint16 w, Uint16 h) {
    // The sums are formed in int so that a rectangle near 65535 cannot wrap.
    int px = event.button.x;
    int py = event.button.y;
    return (x < px && px < x + w && y < py && py < y + h) ? 1 : 0;
}
