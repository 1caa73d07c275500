/* The handheld's screen conversion: see screen.h. */
#include "screen.h"

#include <string.h>

/* value, bits long, at length bits: its bits repeated downwards, or its
 * lowest bits dropped. */
static uint32_t widen(uint32_t value, int bits, int length) {
    uint32_t v;
    int filled;
    if (length <= bits) return value >> (bits - length);
    v = value << (length - bits);
    for (filled = bits; filled < length; filled *= 2)
        v |= v >> filled;
    return v;
}

static int channel_ok(const struct screen_format *f, int c) {
    return f->length[c] >= 1 && f->length[c] <= 16 && f->offset[c] >= 0 &&
           f->offset[c] + f->length[c] <= 8 * f->bytes;
}

int screen_conv_init(struct screen_conv *conv, const struct screen_format *f) {
    static const int bits[3] = {5, 6, 5};
    uint32_t *table[3];
    int c, v;
    memset(conv, 0, sizeof *conv);
    if (f->bytes < 2 || f->bytes > 4) return 0;
    for (c = 0; c < 3; c++)
        if (!channel_ok(f, c)) return 0;
    table[0] = conv->r;
    table[1] = conv->g;
    table[2] = conv->b;
    for (c = 0; c < 3; c++)
        for (v = 0; v < 1 << bits[c]; v++)
            table[c][v] = widen((uint32_t)v, bits[c], f->length[c]) << f->offset[c];
    conv->bytes = f->bytes;
    conv->same = f->bytes == 2 && f->offset[0] == 11 && f->length[0] == 5 && f->offset[1] == 5 &&
                 f->length[1] == 6 && f->offset[2] == 0 && f->length[2] == 5;
    return 1;
}

/* One pixel's value (a macro: it runs 76800 times a frame). */
#define PIXEL(conv, p) ((conv)->r[(p) >> 11] | (conv)->g[((p) >> 5) & 63] | (conv)->b[(p)&31])

void screen_conv_row(const struct screen_conv *conv, const uint16_t *src, uint8_t *dst, int n) {
    int i = 0;
    if (conv->same) {
        memcpy(dst, src, (size_t)n * 2);
        return;
    }
    /* Whole words where the row is aligned: four packed 24-bit pixels make
     * three, least significant byte first. */
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    if (((uintptr_t)dst & 3) == 0 && conv->bytes == 4) {
        uint32_t *w = (uint32_t *)(void *)dst;
        for (; i < n; i++)
            w[i] = PIXEL(conv, src[i]);
        return;
    }
    if (((uintptr_t)dst & 3) == 0 && conv->bytes == 3) {
        uint32_t *w = (uint32_t *)(void *)dst;
        for (; i + 4 <= n; i += 4, w += 3) {
            uint32_t a = PIXEL(conv, src[i]), b = PIXEL(conv, src[i + 1]);
            uint32_t c = PIXEL(conv, src[i + 2]), d = PIXEL(conv, src[i + 3]);
            w[0] = a | b << 24;
            w[1] = b >> 8 | c << 16;
            w[2] = c >> 16 | d << 8;
        }
        dst += (size_t)i * 3;
    }
#endif
    for (; i < n; i++) {
        uint32_t v = PIXEL(conv, src[i]);
        dst[0] = (uint8_t)v;
        dst[1] = (uint8_t)(v >> 8);
        if (conv->bytes > 2) dst[2] = (uint8_t)(v >> 16);
        if (conv->bytes > 3) dst[3] = (uint8_t)(v >> 24);
        dst += conv->bytes;
    }
}
