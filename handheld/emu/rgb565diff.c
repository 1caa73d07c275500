/* rgb565diff: counts the pixels of two pictures that differ as 16-bit RGB565
 * values (5 bits red, 6 green, 5 blue), the handheld's screen format.
 *
 *   rgb565diff [--swap-rb] A.ppm B.ppm
 *
 * Both are binary PPM (P6, maxval 255) of the same size; --swap-rb reads A
 * with its red and blue exchanged (a screen that shows them so). Prints the count;
 * the status is 0 when they are equal, 1 when they differ, 2 on bad input.
 * A 16-bit picture widened to 8 bits a channel keeps its own bits on top,
 * whichever way the low bits were filled, so the top bits are compared. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static unsigned char *load(const char *path, int *w, int *h) {
    FILE *f = fopen(path, "rb");
    int max = 0;
    if (!f || fscanf(f, "P6 %d %d %d", w, h, &max) != 3 || max != 255 || *w <= 0 || *h <= 0 ||
        fgetc(f) == EOF) {
        fprintf(stderr, "rgb565diff: %s is not a P6 picture\n", path);
        exit(2);
    }
    size_t n = (size_t)*w * (size_t)*h * 3;
    unsigned char *px = malloc(n);
    if (!px || fread(px, 1, n, f) != n) {
        fprintf(stderr, "rgb565diff: %s is short\n", path);
        exit(2);
    }
    fclose(f);
    return px;
}

static unsigned rgb565(const unsigned char *p, int swap) {
    unsigned r = p[swap ? 2 : 0], b = p[swap ? 0 : 2];
    return (r >> 3) << 11 | (unsigned)(p[1] >> 2) << 5 | (b >> 3);
}

int main(int argc, char **argv) {
    int swap = argc == 4 && strcmp(argv[1], "--swap-rb") == 0;
    if (argc != 3 + swap) {
        fprintf(stderr, "usage: rgb565diff [--swap-rb] A.ppm B.ppm\n");
        return 2;
    }
    int wa, ha, wb, hb;
    unsigned char *a = load(argv[1 + swap], &wa, &ha);
    unsigned char *b = load(argv[2 + swap], &wb, &hb);
    if (wa != wb || ha != hb) {
        fprintf(stderr, "rgb565diff: %dx%d against %dx%d\n", wa, ha, wb, hb);
        return 2;
    }
    long diff = 0;
    for (long i = 0; i < (long)wa * ha; i++)
        diff += rgb565(a + 3 * i, swap) != rgb565(b + 3 * i, 0);
    printf("%ld\n", diff);
    free(a);
    free(b);
    return diff != 0;
}
