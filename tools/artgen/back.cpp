// Background sheet, 320x240 opaque: grainy olive-bronze ground, a darker well
// under the board with a soft-edged olive checkerboard on the cells, and the
// light corridor of row 2 running on through the exit opening.
#include "canvas.h"

#include <cmath>

Pic MakeBackSheet() {
    const int W = 320, H = 240;
    Layer well = DrawMask(W, H, [](cairo_t *cr) {
        RoundRect(cr, 12, 5, 258, 250, 6);
        cairo_fill(cr);
    });
    BoxBlur(well, 2);

    // Light and dark tiles: soft-edged squares inset in their cells.
    Layer light = DrawMask(W, H, [](cairo_t *cr) {
        for (int y = 0; y < 6; y++)
            for (int x = 0; x < 6; x++)
                if ((x + y) % 2 == 0) RoundRect(cr, 31.5 + 30 * x, 31.5 + 30 * y, 27, 27, 4);
        // Row 2 goes on as a corridor through the exit opening, up to the
        // end of the well at x 269.
        RoundRect(cr, 211.5, 91.5, 58.5, 27, 2);
        cairo_fill(cr);
    });
    Layer dark = DrawMask(W, H, [](cairo_t *cr) {
        for (int y = 0; y < 6; y++)
            for (int x = 0; x < 6; x++)
                if ((x + y) % 2 == 1) RoundRect(cr, 31.5 + 30 * x, 31.5 + 30 * y, 27, 27, 4);
        cairo_fill(cr);
    });
    BoxBlur(light, 1, 2);
    BoxBlur(dark, 1, 2);

    // Relief: tiles sit slightly proud of the well floor.
    Layer height = NewLayer(W, H);
    for (int i = 0; i < W * H; i++)
        height.v[i] = (light.v[i] + dark.v[i]) * 1.2f - well.v[i] * 0.6f;
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++)
            height.at(x, y) += Fbm(x * 0.25f, y * 0.25f, 71, 3) * 0.5f;
    Layer lit = Lighting(height, 1.0f);

    const Rgb ground = Rgb8(132, 121, 72), wellc = Rgb8(60, 56, 31);
    const Rgb lightc = Rgb8(130, 127, 70), darkc = Rgb8(80, 82, 42);
    Pic p = NewPic(W, H);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            int i = y * W + x;
            float mottle = Fbm(x * 0.05f, y * 0.05f, 17, 4) - 0.5f;
            float grain = Hash01(x, y, 5) - 0.5f;
            Rgb c = Mix(ground, wellc, well.v[i]);
            c = Mix(c, darkc, dark.v[i]);
            c = Mix(c, lightc, light.v[i]);
            float k = (1.0f + mottle * 0.25f + grain * 0.12f) * (0.75f + 0.25f * lit.v[i]);
            // A touch of bronze warmth in the mottling.
            c = {c.r * k * (1.0f + mottle * 0.08f), c.g * k, c.b * k * (1.0f - mottle * 0.1f)};
            float *d = p.at(x, y);
            d[0] = c.r, d[1] = c.g, d[2] = c.b, d[3] = 1.0f;
        }
    return p;
}
