/* The handheld's screen: the game's 16-bit RGB565 picture written into a
 * framebuffer of another pixel format (24 bits packed, 32 bits, or another
 * 16-bit layout), one row at a time, without reading the framebuffer back.
 *
 * Plain C without SDL: SDL's framebuffer driver calls it (handheld/sdl/),
 * and the host's unit tests check its pixels. */
#ifndef TOMBSLIDE_SCREEN_H
#define TOMBSLIDE_SCREEN_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A framebuffer's pixel format as the driver reports it: bytes a pixel, and
 * each of red, green and blue's offset and length in bits within the
 * pixel's value, which is stored least significant byte first. */
struct screen_format {
    int bytes;
    int offset[3], length[3];
};

/* A conversion from RGB565: each channel widened to the framebuffer's length
 * by repeating its bits (so 0 stays 0 and full stays full), or narrowed by
 * dropping its lowest bits, and placed at its offset. */
struct screen_conv {
    int bytes;
    int same; /* the framebuffer is RGB565 itself: rows are copied */
    uint32_t r[32], g[64], b[32];
};

/* Fills conv and returns 1 when pixels can be written in this format (2, 3
 * or 4 bytes, every channel 1 to 16 bits long and inside the pixel), else 0. */
int screen_conv_init(struct screen_conv *conv, const struct screen_format *format);
/* Converts n pixels from src into dst (n * conv->bytes bytes). */
void screen_conv_row(const struct screen_conv *conv, const uint16_t *src, uint8_t *dst, int n);

#ifdef __cplusplus
}
#endif

#endif
