/* The image-loading calls the game makes, for the handheld build: PNG only. */
#include "SDL_image.h"

#include "png_load.h"

SDL_Surface *IMG_Load_RW(SDL_RWops *src, int freesrc) {
    return PngLoad_RW(src, freesrc);
}

SDL_Surface *IMG_Load(const char *file) {
    SDL_RWops *src = SDL_RWFromFile(file, "rb");
    return src ? PngLoad_RW(src, 1) : NULL;
}
