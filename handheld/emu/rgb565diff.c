/* rgb565diff: counts the pixels of two pictures that differ as 16-bit RGB565
 * values (5 bits red, 6 green, 5 blue), the handheld's screen format.
 *
 *   rgb565diff A.ppm B.ppm
 *
 * Both are binary PPM (P6, maxval 255) of the same size. Prints the count;
 * the status is 0 when they are equal, 1 when they differ, 2 on bad input.
 * A 16-bit picture widened to 8 bits a channel keeps its own bits on top,
 * whichever way the low bits were filled, so the top bits are compared. */
#include <stdio.h>
#include <stdlib.h>

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

static unsigned rgb565(const unsigned char *p) {
    return (unsigned)(p[0] >> 3) << 11 | (unsigned)(p[1] >> 2) << 5 | (unsigned)(p[2] >> 3);
}

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: rgb565diff A.ppm B.ppm\n");
        return 2;
    }
    int wa, ha, wb, hb;
    unsigned char *a = load(argv[1], &wa, &ha);
    unsigned char *b = load(argv[2], &wb, &hb);
    if (wa != wb || ha != hb) {
        fprintf(stderr, "rgb565diff: %dx%d against %dx%d\n", wa, ha, wb, hb);
        return 2;
    }
    long diff = 0;
    for (long i = 0; i < (long)wa * ha; i++)
        diff += rgb565(a + 3 * i) != rgb565(b + 3 * i);
    printf("%ld\n", diff);
    free(a);
    free(b);
    return diff != 0;
}
