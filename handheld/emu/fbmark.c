/* fbmark: shows the host how the emulated board's screen displays the
 * framebuffer's pixel format.
 *
 *   fbmark
 *
 * Fills /dev/fb0 with pure red, as its driver describes its pixels
 * (FBIOGET_VSCREENINFO's red field), prints "@@FBMARK BPP" and waits for a
 * line on its input (the host's answer, once it has looked at the screen);
 * then fills it with black. At 32 bits a pixel the emulated board shows the
 * driver's red as blue: the host compares the game's frames accordingly. */
#include <errno.h>
#include <fcntl.h>
#include <linux/fb.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

static int fill(int fd, const struct fb_var_screeninfo *var, const struct fb_fix_screeninfo *fix,
                uint32_t pixel) {
    unsigned bytes = var->bits_per_pixel / 8;
    unsigned char *line = calloc(fix->line_length, 1);
    if (!line || bytes < 2 || bytes > 4 || var->xres * bytes > fix->line_length) return 0;
    for (unsigned x = 0; x < var->xres; x++)
        for (unsigned b = 0; b < bytes; b++)
            line[x * bytes + b] = (unsigned char)(pixel >> (8 * b));
    int ok = 1;
    for (unsigned y = 0; y < var->yres && ok; y++)
        ok = pwrite(fd, line, fix->line_length, (off_t)y * fix->line_length) ==
             (ssize_t)fix->line_length;
    free(line);
    return ok;
}

int main(void) {
    struct fb_var_screeninfo var;
    struct fb_fix_screeninfo fix;
    int fd = open("/dev/fb0", O_RDWR);
    if (fd < 0 || ioctl(fd, FBIOGET_VSCREENINFO, &var) < 0 ||
        ioctl(fd, FBIOGET_FSCREENINFO, &fix) < 0) {
        printf("@@FAIL fbmark: /dev/fb0: %s\n", strerror(errno));
        return 1;
    }
    uint32_t red = ((1u << var.red.length) - 1) << var.red.offset;
    if (!fill(fd, &var, &fix, red)) {
        printf("@@FAIL fbmark: cannot fill a %u-bit framebuffer\n", var.bits_per_pixel);
        return 1;
    }
    printf("@@FBMARK %u\n", var.bits_per_pixel);
    fflush(stdout);
    char answer[64];
    if (!fgets(answer, sizeof answer, stdin)) return 1;
    return fill(fd, &var, &fix, 0) ? 0 : 1;
}
