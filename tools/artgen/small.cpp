// Digit sheet (130x13: large italic outlined numerals, black, alpha up to 191)
// and the maker's mark (50x10: an ankh and a TOMB SLIDE pixel wordmark, every
// pixel fully opaque or fully transparent).
#include "canvas.h"

#include <algorithm>
#include <cstring>

Pic MakeDigitSheet() {
    const int W = 130, H = 13;
    Layer fill = DrawMask(W, H, [](cairo_t *cr) {
        for (int d = 0; d < 10; d++) {
            char s[2] = {char('0' + d), 0};
            double w = TextWidth(cr, "DejaVu Sans", false, true, 14.5, s);
            TextPath(cr, "DejaVu Sans", false, true, 14.5, 13 * d + 6.5 - w / 2, 11.3, s);
        }
        cairo_fill(cr);
    });
    Layer ring = Dilate(fill, 1);
    Pic p = NewPic(W, H);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            // Dark outline round a lighter body: a numeral cut into the stone.
            float f = fill.at(x, y), edge = std::max(0.0f, ring.at(x, y) - f);
            float a = edge * 191.0f + f * 160.0f;
            float *d = p.at(x, y);
            d[0] = d[1] = d[2] = 0;
            d[3] = std::clamp(a, 0.0f, 191.0f) / 255.0f;
        }
    return p;
}

namespace {

// 4x6 capitals (M 5 wide, I 1 wide), '#' set.
struct Glyph {
    char c;
    int w;
    const char *rows[6];
};

const Glyph kFont[] = {
    {'T', 4, {"####", ".#..", ".#..", ".#..", ".#..", ".#.."}},
    {'O', 4, {".##.", "#..#", "#..#", "#..#", "#..#", ".##."}},
    {'M', 5, {"#...#", "##.##", "#.#.#", "#...#", "#...#", "#...#"}},
    {'B', 4, {"###.", "#..#", "###.", "#..#", "#..#", "###."}},
    {'S', 4, {".###", "#...", ".##.", "...#", "...#", "###."}},
    {'L', 3, {"#..", "#..", "#..", "#..", "#..", "###"}},
    {'I', 1, {"#", "#", "#", "#", "#", "#"}},
    {'D', 4, {"###.", "#..#", "#..#", "#..#", "#..#", "###."}},
    {'E', 3, {"###", "#..", "##.", "#..", "#..", "###"}},
};

const char *kAnkh[8] = {".###.", "#...#", "#...#", ".###.", "#####", "..#..", "..#..", "..#.."};

} // namespace

Pic MakeMark() {
    const int W = 50, H = 10;
    Layer ink = NewLayer(W, H);
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 5; x++)
            if (kAnkh[y][x] == '#') ink.at(1 + x, 1 + y) = 1;
    int x = 7;
    for (const char *s = "TOMB SLIDE"; *s; s++) {
        if (*s == ' ') {
            x += 2;
            continue;
        }
        for (const Glyph &g : kFont)
            if (g.c == *s) {
                for (int yy = 0; yy < 6; yy++)
                    for (int xx = 0; xx < g.w; xx++)
                        if (g.rows[yy][xx] == '#') ink.at(x + xx, 2 + yy) = 1;
                x += g.w + 1;
            }
    }
    Layer ring = Dilate(ink, 1);
    Pic p = NewPic(W, H);
    for (int y = 0; y < H; y++)
        for (int xx = 0; xx < W; xx++) {
            float *d = p.at(xx, y);
            if (ink.at(xx, y) > 0) {
                // Gold, lighter on the upper rows.
                Rgb c = Mix(Rgb8(255, 226, 120), Rgb8(200, 140, 40), y / 9.0f);
                d[0] = c.r, d[1] = c.g, d[2] = c.b, d[3] = 1;
            } else if (ring.at(xx, y) > 0) {
                Rgb c = Rgb8(40, 26, 12);
                d[0] = c.r, d[1] = c.g, d[2] = c.b, d[3] = 1;
            }
        }
    return p;
}
