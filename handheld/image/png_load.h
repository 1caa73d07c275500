/* Decodes a PNG image into a new software surface, over libpng. */
#ifndef PNG_LOAD_H
#define PNG_LOAD_H

#include "SDL.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Reads a whole PNG from src. Every PNG colour type comes out as 8 bits a
   channel: 24-bit RGB, or 32-bit RGBA where the image has alpha or a
   transparent colour; the bytes in memory are R, G, B(, A). Closes src when
   freesrc is non-zero, whatever the outcome. On failure: NULL, with the
   reason in SDL_GetError. */
SDL_Surface *PngLoad_RW(SDL_RWops *src, int freesrc);

#ifdef __cplusplus
}
#endif

#endif
