// The maker's mark, decoded from the embedded picture and drawn at a fixed
// place on every frame.
#include "quib.h"

#include "SDL_image.h"
#include "quib_data.h"

// Decodes the embedded mark and places it with its top-left corner at (xx, yy).
Class_Quib::Class_Quib(Uint16 xx, Uint16 yy) : Class_Quib(xx, yy, iQuib, iQuib_size) {}

// A mark that cannot be decoded keeps no surface and an empty rectangle, and
// Put then draws nothing.
Class_Quib::Class_Quib(Uint16 xx, Uint16 yy, const int *mem, int size)
    : Quib(nullptr), rec(), x(0), y(0) {
    if (mem != nullptr && size > 0) Quib = IMG_Load_RW(SDL_RWFromConstMem(mem, size), 1);
    rec.x = (Sint16)xx;
    rec.y = (Sint16)yy;
    rec.w = Quib ? (Uint16)Quib->w : 0;
    rec.h = Quib ? (Uint16)Quib->h : 0;
}

Class_Quib::~Class_Quib() {
    SDL_FreeSurface(Quib);
    Quib = nullptr;
}

// Draws the whole mark onto dst with its top-left corner at rec, blending it
// by its alpha.
void Class_Quib::Put(SDL_Surface *dst) {
    if (Quib == nullptr || dst == nullptr) return;
    SDL_UpperBlit(Quib, nullptr, dst, &rec);
}
