// The handheld game list's preview, 320x240 and opaque: the board in its
// stone frame with a few cases on it, the golden one near the exit, and the
// name carved into a slab across the foot of the screen. Built from the
// game's own sheets, so the preview looks like the game.
#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace {

// A rectangle of a sheet, blended onto the picture at (dx, dy).
void Crop(Pic &dst, const Pic &sheet, int sx, int sy, int w, int h, int dx, int dy) {
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            const float *s = sheet.at(sx + x, sy + y);
            Over(dst, dx + x, dy + y, {s[0], s[1], s[2]}, s[3]);
        }
}

// One case of the image sheet on board cell (cx, cy), as the game draws it.
struct Case {
    int sx, sy, w, h; // its sprite on the image sheet
    int cx, cy;       // its head cell
};

const Case kCases[] = {
    {60, 0, 60, 30, 0, 0},  // a sandstone pair, lying
    {30, 60, 90, 30, 3, 0}, // a bronze triple, lying
    {0, 0, 30, 90, 2, 1},   // a bronze triple, standing
    {60, 30, 60, 30, 4, 2}, // the golden case, one cell from the exit
    {30, 0, 30, 60, 0, 2},  // a sandstone pair, standing
    {30, 0, 30, 60, 5, 3},  // another
    {60, 0, 60, 30, 3, 4},  // a sandstone pair, lying
};

// The slab with the name: a rough rounded stone with carved pale letters.
void PaintSlab(Pic &p, int top, int bottom) {
    const int W = p.w, H = p.h;
    Layer slab = DrawMask(W, H, [&](cairo_t *cr) {
        RoundRect(cr, 8, top, W - 16, bottom - top, 7);
        cairo_fill(cr);
    });
    Layer text = DrawMask(W, H, [&](cairo_t *cr) {
        const char *s = "Tomb Slide";
        double size = 40.0, w = TextWidth(cr, "DejaVu Serif", true, false, size, s);
        if (w > 264) {
            size *= 264 / w;
            w = TextWidth(cr, "DejaVu Serif", true, false, size, s);
        }
        TextPath(cr, "DejaVu Serif", true, false, size, W / 2.0 - w / 2,
                 (top + bottom) / 2.0 + size * 0.36, s);
        cairo_fill(cr);
    });
    Layer textSoft = text;
    BoxBlur(textSoft, 1, 1);
    Layer dome = slab;
    BoxBlur(dome, 3);
    Layer inner = Erode(slab, 1);
    Layer height = NewLayer(W, H);
    for (int i = 0; i < W * H; i++) {
        int x = i % W, y = i / W;
        height.v[i] = std::sqrt(dome.v[i]) * 4.0f + (Fbm(x * 0.1f, y * 0.1f, 71, 5) - 0.5f) * 4.0f -
                      textSoft.v[i] * 2.6f;
    }
    Layer lit = Lighting(height, 1.0f);
    Layer ring = Dilate(text, 1);
    for (int i = 0; i < W * H; i++) {
        if (slab.v[i] <= 0) continue;
        int x = i % W, y = i / W;
        Rgb col = Mix(Rgb8(84, 56, 34), Rgb8(136, 98, 62), Fbm(x * 0.035f, y * 0.07f, 73, 4));
        col = Mix(col, Rgb8(40, 24, 12), std::max(0.0f, ring.v[i] - text.v[i]) * 0.6f);
        col = Mix(col, Rgb8(244, 214, 132), text.v[i]);
        col = Scale(col, 0.45f + 0.55f * lit.v[i]);
        col = Scale(col, 0.6f + 0.4f * inner.v[i]);
        Over(p, x, y, col, slab.v[i]);
    }
}

} // namespace

Pic MakeTitle() {
    Pic p = NewPic(320, 240);
    Pic back = MakeBackSheet(), image = MakeImageSheet(), frame = MakeFrameSheet();
    Crop(p, back, 0, 0, 320, 240, 0, 0);
    for (const Case &c : kCases)
        Crop(p, image, c.sx, c.sy, c.w, c.h, (c.cx + 1) * 30, (c.cy + 1) * 30);
    Crop(p, frame, 0, 0, 320, 240, 0, 0);
    PaintSlab(p, 172, 226);
    return p;
}
