// Frame sheet, 320x490: the stone frame around the board in grey-brown
// (rows 0..239) and recoloured to gold (rows 240..479), both with the same
// alpha, and the row of small digits at y 480.
//
// Alpha of a variant: opaque stone everywhere left of x 270 except the board
// window (x 27..209, y 25..210) and the exit opening (x 210..269, y 86..119);
// black translucent shadows inside the window edges, in the opening and in
// the 25 pixels right of the wall; nothing from x 295 on.
#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace {

const int W = 320, H = 240;
const int kWinL = 27, kWinT = 25, kWinR = 209, kWinB = 210; // board window, inclusive
const int kGapT = 86, kGapB = 119;                          // exit opening rows
const int kWallR = 269;                                     // last column of stone

bool IsStone(int x, int y) {
    if (x > kWallR) return false;
    if (x >= kWinL && x <= kWinR && y >= kWinT && y <= kWinB) return false;
    if (x > kWinR && y >= kGapT && y <= kGapB) return false;
    return true;
}

float Ramp(float t) {
    return t <= 0 ? 0 : (t >= 1 ? 1 : t);
}

// Translucent black cast by the frame on what lies below it, 0..1.
float ShadowAlpha(int x, int y) {
    if (x > kWallR) {
        float t = 1.0f - (x - 270) / 25.0f;
        return 0.55f * Ramp(t) * Ramp(t);
    }
    if (x > kWinR) { // exit opening: shadow of the wall above, bounce near the floor
        float t = (y - kGapT) / float(kGapB - kGapT);
        float top = 1.0f - t / 0.5f;
        float bottom = (t - 0.55f) / 0.45f;
        return (5.0f + 110.0f * Ramp(top) * Ramp(top) + 40.0f * Ramp(bottom) * Ramp(bottom)) /
               255.0f;
    }
    // Board window: wide shadows below the top and right of the left edge,
    // narrow ones along the right and bottom edges.
    float a = 0;
    auto add = [&a](float v) { a = 1.0f - (1.0f - a) * (1.0f - v); };
    float top = 1.0f - (y - kWinT) / 22.0f;
    float left = 1.0f - (x - kWinL) / 22.0f;
    float right = 1.0f - (kWinR - x) / 8.0f;
    float bottom = 1.0f - (kWinB - y) / 8.0f;
    add(0.72f * std::pow(Ramp(top), 1.6f));
    add(0.72f * std::pow(Ramp(left), 1.6f));
    if (y < kGapT - 2 || y > kGapB + 2) add(0.45f * std::pow(Ramp(right), 1.6f));
    add(0.45f * std::pow(Ramp(bottom), 1.6f));
    return a;
}

struct Stone {
    int x0, y0, x1, y1; // inclusive
};

// The blocks of the wall; the seams between them are the gaps.
const Stone kStones[] = {
    // top band
    {0, 0, 110, 24},
    {113, 0, 163, 24},
    {166, 0, 224, 24},
    {227, 0, 269, 24},
    // left band
    {0, 27, 26, 95},
    {0, 98, 26, 160},
    {0, 163, 26, 208},
    // right wall
    {210, 27, 269, 85},
    {210, 120, 269, 175},
    {210, 178, 269, 208},
    // bottom band
    {0, 211, 109, 239},
    {112, 211, 214, 239},
    {217, 211, 269, 239},
};

// Gold glyphs of the four buttons, each centred in its 30x30 square at (ox, 210).
void BootPath(cairo_t *cr, double ox, bool pointLeft) {
    cairo_save(cr);
    cairo_translate(cr, ox + 15, 225);
    if (!pointLeft) cairo_scale(cr, -1, 1);
    // Drawn pointing left around the square's centre.
    cairo_move_to(cr, 1.5, -10.5); // top of the shaft, front
    cairo_line_to(cr, 8.5, -10.5); // top, back
    cairo_line_to(cr, 8.0, 3.5);   // heel back
    cairo_curve_to(cr, 9.0, 6.0, 9.0, 8.5, 7.5, 9.0);
    cairo_line_to(cr, -9.5, 9.0); // sole to the toe
    cairo_curve_to(cr, -11.5, 9.0, -11.5, 5.5, -9.0, 4.5);
    cairo_curve_to(cr, -5.5, 3.5, -0.5, 2.0, 1.5, -1.0); // instep
    cairo_close_path(cr);
    cairo_restore(cr);
}

void LoopPath(cairo_t *cr, double ox) {
    double cx = ox + 15, cy = 225.5;
    cairo_save(cr);
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, 9.0, -0.35 * M_PI, 1.45 * M_PI);
    cairo_arc_negative(cr, cx, cy, 5.2, 1.45 * M_PI, -0.35 * M_PI);
    cairo_close_path(cr);
    // Hook: a barb at the open end, pointing along the turn.
    double a = -0.35 * M_PI;
    double ex = cx + 7.1 * std::cos(a), ey = cy + 7.1 * std::sin(a);
    cairo_move_to(cr, ex + 6.5, ey + 1.5);
    cairo_line_to(cr, ex - 4.5, ey - 5.5);
    cairo_line_to(cr, ex - 1.0, ey + 5.5);
    cairo_close_path(cr);
    cairo_restore(cr);
}

void QPath(cairo_t *cr, double ox) {
    double w = TextWidth(cr, "DejaVu Serif", true, false, 24, "Q");
    TextPath(cr, "DejaVu Serif", true, false, 24, ox + 15 - w / 2, 233, "Q");
}

const int kButtons[4] = {6, 40, 74, 223};

// Carved labels: light letters with a dark outline.
void LabelPath(cairo_t *cr, const char *text, double cx, double base) {
    double w = TextWidth(cr, "DejaVu Sans", true, false, 11.5, text);
    TextPath(cr, "DejaVu Sans", true, false, 11.5, cx - w / 2, base, text);
}

Rgb GoldRamp(float l) {
    // Through dark bronze-gold and gold to a pale highlight.
    static const float stops[5] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f};
    static const Rgb cols[5] = {Rgb8(14, 8, 2), Rgb8(104, 66, 14), Rgb8(196, 146, 44),
                                Rgb8(244, 204, 96), Rgb8(255, 244, 190)};
    l = Clamp01(l);
    for (int i = 1; i < 5; i++)
        if (l <= stops[i])
            return Mix(cols[i - 1], cols[i], (l - stops[i - 1]) / (stops[i] - stops[i - 1]));
    return cols[4];
}

// Draws the normal (grey-brown) variant into p at rows 0..239.
void DrawNormal(Pic &p) {
    Layer stones = DrawMask(W, H, [](cairo_t *cr) {
        for (const Stone &s : kStones)
            RoundRect(cr, s.x0, s.y0, s.x1 - s.x0 + 1, s.y1 - s.y0 + 1, 2.5);
        cairo_fill(cr);
    });
    Layer bevel = stones;
    BoxBlur(bevel, 2);
    Layer panels = DrawMask(W, H, [](cairo_t *cr) {
        for (int bx : kButtons)
            RoundRect(cr, bx + 1, 212, 28, 27, 4);
        cairo_fill(cr);
    });
    Layer panelSoft = panels;
    BoxBlur(panelSoft, 1);
    Layer glyphs = DrawMask(W, H, [](cairo_t *cr) {
        BootPath(cr, kButtons[0], true);
        LoopPath(cr, kButtons[1]);
        BootPath(cr, kButtons[2], false);
        QPath(cr, kButtons[3]);
        cairo_fill(cr);
    });
    Layer glyphRing = Dilate(glyphs, 1);
    Layer glyphSoft = glyphs;
    BoxBlur(glyphSoft, 1, 2);
    Layer labels = DrawMask(W, H, [](cairo_t *cr) {
        LabelPath(cr, "ROOM", 49.5, 11.5);
        LabelPath(cr, "BEST", 201.5, 10.5);
        cairo_fill(cr);
    });
    Layer labelRing = Dilate(labels, 1);

    // Height: bevelled blocks, chisel marks, sunken button panels, raised glyphs.
    // Wear: a few hairline cracks, pits, and chips along the stone edges.
    Layer cracks = DrawMask(W, H, [](cairo_t *cr) {
        cairo_set_line_width(cr, 0.7);
        const double starts[][2] = {{4, 60}, {226, 40}, {140, 238}, {22, 180}, {262, 150}};
        for (int k = 0; k < 5; k++) {
            double x = starts[k][0], y = starts[k][1];
            cairo_move_to(cr, x, y);
            for (int s = 0; s < 6; s++) {
                x += (k % 2 ? 1.0 : -1.0) * (1.0 + Hash01(k, s, 331) * 2.5);
                y += (k == 2 ? -1.5 : 1.0) * (1.0 + Hash01(k, s, 332) * 3.0);
                cairo_line_to(cr, x, y);
            }
        }
        cairo_stroke(cr);
    });
    Layer pits = NewLayer(W, H);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++)
            if (Hash01(x, y, 333) > 0.993f) pits.at(x, y) = 1.0f;
    BoxBlur(pits, 1, 1);
    Layer height = NewLayer(W, H);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            int i = y * W + x;
            float h = bevel.v[i] * 2.0f + (Fbm(x * 0.3f, y * 0.3f, 301, 3) - 0.5f) * 0.9f;
            h += (Fbm(x * 0.9f, y * 0.9f, 305, 2) - 0.5f) * 0.35f;
            float edge = bevel.v[i] > 0.15f && bevel.v[i] < 0.92f ? 1.0f : 0.0f;
            if (edge > 0 && Fbm(x * 0.45f, y * 0.45f, 307, 2) > 0.64f) h -= 0.9f; // chipped
            h -= pits.v[i] * 2.0f + cracks.v[i] * 0.8f;
            h -= panelSoft.v[i] * 1.2f;
            h += glyphSoft.v[i] * 1.6f;
            h -= labelRing.v[i] * 0.5f;
            height.v[i] = h;
        }
    Layer lit = Lighting(height, 1.4f);
    Layer gloss = Gloss(height, 1.4f, 18.0f);

    const Rgb stoneA = Rgb8(152, 138, 118), stoneB = Rgb8(126, 113, 96);
    const Rgb seam = Rgb8(40, 34, 28), panel = Rgb8(88, 78, 66);
    const Rgb gold = Rgb8(222, 172, 58), ink = Rgb8(38, 28, 18), letter = Rgb8(232, 222, 196);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            int i = y * W + x;
            float *d = p.at(x, y);
            if (!IsStone(x, y)) {
                d[0] = d[1] = d[2] = 0;
                d[3] = ShadowAlpha(x, y);
                continue;
            }
            float mottle = Fbm(x * 0.06f, y * 0.06f, 7, 4);
            float grain = Hash01(x, y, 9) - 0.5f;
            Rgb c = Mix(stoneB, stoneA, mottle);
            // Each block cut from a slightly different bed of stone.
            for (int k = 0; k < int(sizeof kStones / sizeof kStones[0]); k++)
                if (x >= kStones[k].x0 - 1 && x <= kStones[k].x1 + 1 && y >= kStones[k].y0 - 1 &&
                    y <= kStones[k].y1 + 1) {
                    float t = Hash01(k, 0, 311) - 0.5f, u = Hash01(k, 1, 312) - 0.5f;
                    c = {c.r * (1 + t * 0.12f + u * 0.04f), c.g * (1 + t * 0.12f),
                         c.b * (1 + t * 0.12f - u * 0.05f)};
                    break;
                }
            c = Mix(c, seam, cracks.v[i] * 0.5f + pits.v[i] * 0.3f);
            c = Mix(seam, c, Smooth(0.1f, 0.9f, stones.v[i]));
            c = Mix(c, panel, panels.v[i]);
            float k = lit.v[i] * (1.0f + grain * 0.1f);
            c = Scale(c, 0.55f + 0.45f * k);
            // Button glyphs: gold with a dark carved outline.
            c = Mix(c, ink, glyphRing.v[i] * 0.85f);
            Rgb g = Scale(gold, 0.55f + 0.5f * lit.v[i]);
            g = Mix(g, Rgb8(255, 246, 200), gloss.v[i] * 0.8f);
            c = Mix(c, g, glyphs.v[i]);
            // Labels.
            c = Mix(c, ink, labelRing.v[i] * 0.9f);
            c = Mix(c, Scale(letter, 0.9f + 0.1f * lit.v[i]), labels.v[i]);
            d[0] = Clamp01(c.r), d[1] = Clamp01(c.g), d[2] = Clamp01(c.b), d[3] = 1.0f;
        }
}

// Rows 240..479: the normal variant recoloured to gold; shadows stay shadows
// but turn a near-black grey.
void DrawGold(Pic &p) {
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            const float *s = p.at(x, y);
            float *d = p.at(x, y + H);
            d[3] = s[3];
            if (!IsStone(x, y)) {
                d[0] = d[1] = d[2] = 8.0f / 255.0f;
                continue;
            }
            float l = 0.30f * s[0] + 0.55f * s[1] + 0.15f * s[2];
            Rgb g = GoldRamp((l - 0.08f) * 1.45f);
            d[0] = g.r, d[1] = g.g, d[2] = g.b;
        }
}

// Small digits, 9x10 each at (9d, 480): light grey with a dark outline, translucent.
void DrawSmallDigits(Pic &p) {
    Layer fill = DrawMask(90, 10, [](cairo_t *cr) {
        for (int d = 0; d < 10; d++) {
            char s[2] = {char('0' + d), 0};
            double w = TextWidth(cr, "DejaVu Sans", true, false, 10.5, s);
            TextPath(cr, "DejaVu Sans", true, false, 10.5, 9 * d + 4.5 - w / 2, 8.6, s);
        }
        cairo_fill(cr);
    });
    Layer ring = Dilate(fill, 1);
    for (int y = 0; y < 10; y++)
        for (int x = 0; x < 90; x++) {
            float f = fill.at(x, y), r = ring.at(x, y);
            float a = std::max(f * 0.86f, r * 0.75f);
            Rgb c = Mix(Rgb8(34, 28, 22), Rgb8(222, 218, 208), f);
            float *d = p.at(x, 480 + y);
            d[0] = c.r, d[1] = c.g, d[2] = c.b, d[3] = a;
        }
}

} // namespace

Pic MakeFrameSheet() {
    Pic p = NewPic(W, 490);
    DrawNormal(p);
    DrawGold(p);
    DrawSmallDigits(p);
    return p;
}
