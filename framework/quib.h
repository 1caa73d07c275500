// The maker's mark: a small picture drawn at a fixed place on every frame.
#ifndef FRAMEWORK_QUIB_H
#define FRAMEWORK_QUIB_H

#include "SDL.h"

class Class_Quib {
  public:
    Class_Quib(Uint16 xx, Uint16 yy);
    // The same from another encoded picture: size bytes at mem.
    Class_Quib(Uint16 xx, Uint16 yy, const int *mem, int size);
    ~Class_Quib();
    void Put(SDL_Surface *dst);

  private:
    SDL_Surface *Quib;
    SDL_Rect rec;
    [[maybe_unused]] Uint16 x; // kept, though the mark is placed by rec
    [[maybe_unused]] Uint16 y;
};

#endif
