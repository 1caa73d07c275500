/* Decodes a PNG image into a new software surface, over libpng. */
#include "png_load.h"

#include <png.h>
#include <setjmp.h>
#include <stdlib.h>

static void ReadData(png_structp png, png_bytep out, png_size_t n) {
    SDL_RWops *src = (SDL_RWops *)png_get_io_ptr(png);
    if (SDL_RWread(src, out, 1, (int)n) != (int)n) png_error(png, "truncated data");
}

/* libpng's errors become SDL's error text; the decode then unwinds to the
   setjmp in PngLoad_RW. */
static void OnError(png_structp png, png_const_charp msg) {
    SDL_SetError("PNG: %s", msg);
    png_longjmp(png, 1);
}

static void OnWarning(png_structp png, png_const_charp msg) {
    (void)png;
    (void)msg;
}

/* Asks libpng for 8-bit R, G, B and, where the image has any, alpha. */
static void AskForRgb(png_structp png, png_infop info) {
    png_set_strip_16(png);
    png_set_packing(png);
    png_set_expand(png); /* palette and low-depth grey to 8 bits, tRNS to alpha */
    int type = png_get_color_type(png, info);
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

static SDL_Surface *NewSurface(int w, int h, int channels) {
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
    Uint32 r = 0x000000FF, g = 0x0000FF00, b = 0x00FF0000, a = 0xFF000000;
#else
    Uint32 r = channels == 4 ? 0xFF000000 : 0xFF0000, g = r >> 8, b = r >> 16, a = 0x000000FF;
#endif
    return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 8 * channels, r, g, b, channels == 4 ? a : 0);
}

/* The decode proper. libpng's errors come back here by longjmp: only the
   surface, kept in a volatile, changes after the setjmp; the row table goes
   to the caller to free. */
static SDL_Surface *Decode(png_structp png, png_infop info, png_bytep **rows) {
    SDL_Surface *volatile surface = NULL;
    if (setjmp(png_jmpbuf(png)) != 0) {
        SDL_FreeSurface(surface);
        return NULL;
    }
    png_read_info(png, info);
    AskForRgb(png, info);
    int w = (int)png_get_image_width(png, info);
    int h = (int)png_get_image_height(png, info);
    int channels = png_get_channels(png, info);
    if (channels != 3 && channels != 4) png_error(png, "unexpected pixel layout");
    surface = NewSurface(w, h, channels);
    *rows = (png_bytep *)malloc(sizeof(png_bytep) * (size_t)h);
    if (surface == NULL || *rows == NULL) png_error(png, "out of memory");
    for (int y = 0; y < h; y++)
        (*rows)[y] = (png_bytep)surface->pixels + (size_t)y * surface->pitch;
    png_read_image(png, *rows);
    png_read_end(png, NULL);
    return surface;
}

SDL_Surface *PngLoad_RW(SDL_RWops *src, int freesrc) {
    if (src == NULL) {
        SDL_SetError("PNG: no data");
        return NULL;
    }
    SDL_Surface *surface = NULL;
    png_bytep *rows = NULL;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, NULL, OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : NULL;
    if (info == NULL) {
        SDL_SetError("PNG: out of memory");
    } else {
        png_set_read_fn(png, src, ReadData);
        surface = Decode(png, info, &rows);
    }
    png_destroy_read_struct(&png, info ? &info : NULL, NULL);
    free(rows);
    if (freesrc) SDL_RWclose(src);
    return surface;
}
