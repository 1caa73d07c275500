// Image sheet, 320x185: the five mummy-case sprites in the top-left corner and
// the Stage Clear slab below them. Everything else is transparent.
//
// A case is drawn in its own coordinates (u along the body from the head,
// v across it, 0..30), mapped onto the sheet lying (head left) or standing
// (head up). Light and shading are worked out afterwards in sheet pixels, so
// that every sprite is lit from the same side.
#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace {

enum Kind { kBronze, kSandstone, kGold };

struct Palette {
    Rgb body, bodyDark, face, wigA, wigB, collarA, collarB, collarC, ink;
    float metal; // strength of the specular highlight
};

Palette PaletteOf(Kind k) {
    switch (k) {
    case kBronze:
        return {Rgb8(128, 82, 42),  Rgb8(82, 52, 26),
                Rgb8(168, 112, 60), Rgb8(62, 42, 24),
                Rgb8(112, 76, 40),  Rgb8(84, 120, 96),
                Rgb8(150, 100, 50), Rgb8(70, 46, 24),
                Rgb8(26, 16, 8),    0.55f};
    case kSandstone:
        return {Rgb8(214, 190, 140), Rgb8(172, 144, 100),
                Rgb8(230, 206, 160), Rgb8(150, 120, 82),
                Rgb8(204, 178, 128), Rgb8(120, 140, 128),
                Rgb8(190, 160, 112), Rgb8(150, 118, 80),
                Rgb8(70, 50, 30),    0.12f};
    default:
        return {Rgb8(228, 178, 60), Rgb8(170, 118, 30),
                Rgb8(240, 196, 92), Rgb8(34, 62, 150),
                Rgb8(236, 190, 70), Rgb8(36, 70, 160),
                Rgb8(190, 50, 40),  Rgb8(40, 150, 150),
                Rgb8(40, 22, 6),    0.85f};
    }
}

// Maps the case's own coordinates onto the sheet.
struct Place {
    int x, y;      // region corner
    int len;       // body length in pixels (60 or 90)
    bool standing; // head up instead of head left
};

void Apply(cairo_t *cr, const Place &pl) {
    cairo_matrix_t m;
    if (pl.standing)
        cairo_matrix_init(&m, 0, 1, 1, 0, pl.x, pl.y); // x = v, y = u
    else
        cairo_matrix_init(&m, 1, 0, 0, 1, pl.x, pl.y);
    cairo_set_matrix(cr, &m);
}

void OutlinePath(cairo_t *cr, double L) {
    const double m = 1.0;
    cairo_move_to(cr, m, 15);
    cairo_curve_to(cr, m, 7.5, 4.5, 2.2, 11.0, 2.0);
    cairo_curve_to(cr, 14.5, 1.9, 16.5, 1.2, 20.0, 1.2);
    cairo_line_to(cr, L - 11.0, 3.6);
    cairo_curve_to(cr, L - 5.0, 3.9, L - m, 5.5, L - m, 10.0);
    cairo_line_to(cr, L - m, 20.0);
    cairo_curve_to(cr, L - m, 24.5, L - 5.0, 26.1, L - 11.0, 26.4);
    cairo_line_to(cr, 20.0, 28.8);
    cairo_curve_to(cr, 16.5, 28.8, 14.5, 28.1, 11.0, 28.0);
    cairo_curve_to(cr, 4.5, 27.8, m, 22.5, m, 15);
    cairo_close_path(cr);
}

// Wig or headdress: the head and the two lappets falling to the shoulders.
void WigPath(cairo_t *cr) {
    cairo_move_to(cr, 1.0, 15);
    cairo_curve_to(cr, 1.0, 7.5, 4.5, 2.2, 11.0, 2.0);
    cairo_curve_to(cr, 14.5, 1.9, 16.5, 1.4, 19.5, 1.4);
    cairo_line_to(cr, 22.0, 2.5);
    cairo_line_to(cr, 22.0, 9.0);
    cairo_line_to(cr, 13.5, 10.0);
    cairo_line_to(cr, 13.5, 20.0);
    cairo_line_to(cr, 22.0, 21.0);
    cairo_line_to(cr, 22.0, 27.5);
    cairo_line_to(cr, 19.5, 28.6);
    cairo_curve_to(cr, 16.5, 28.6, 14.5, 28.1, 11.0, 28.0);
    cairo_curve_to(cr, 4.5, 27.8, 1.0, 22.5, 1.0, 15);
    cairo_close_path(cr);
}

void FacePath(cairo_t *cr) {
    cairo_save(cr);
    cairo_translate(cr, 9.2, 15);
    cairo_scale(cr, 5.0, 5.3);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
}

// One finished sprite's layers in sheet pixels.
struct CaseLayers {
    Layer body, wig, wigStripe, face, eyes, collar, collarBand[3], arms, bands, groove;
};

CaseLayers DrawCase(const Place &pl, Kind kind) {
    const int W = 320, H = 185;
    const double L = pl.len;
    CaseLayers c;
    c.body = DrawMask(W, H, [&](cairo_t *cr) {
        Apply(cr, pl);
        OutlinePath(cr, L);
        cairo_fill(cr);
    });
    c.wig = DrawMask(W, H, [&](cairo_t *cr) {
        Apply(cr, pl);
        WigPath(cr);
        cairo_fill(cr);
    });
    // Stripes across the headdress; the gold case's are broad blue bands.
    c.wigStripe = DrawMask(W, H, [&](cairo_t *cr) {
        Apply(cr, pl);
        WigPath(cr);
        cairo_clip(cr);
        double step = kind == kGold ? 3.0 : 2.0;
        for (double u = 0.5; u < 24; u += step * 2)
            cairo_rectangle(cr, u, 0, step, 30);
        cairo_fill(cr);
    });
    c.face = DrawMask(W, H, [&](cairo_t *cr) {
        Apply(cr, pl);
        FacePath(cr);
        cairo_fill(cr);
        // False beard under the chin.
        cairo_rectangle(cr, 13.5, 13.8, 3.5, 2.4);
        cairo_fill(cr);
    });
    c.eyes = DrawMask(W, H, [&](cairo_t *cr) {
        Apply(cr, pl);
        cairo_set_line_width(cr, 1.1);
        for (double v : {12.4, 17.6}) {
            cairo_move_to(cr, 7.6, v - 1.6);
            cairo_line_to(cr, 7.6, v + 1.6); // eye
            cairo_move_to(cr, 5.6, v - 1.9);
            cairo_line_to(cr, 5.6, v + 1.9); // brow
        }
        cairo_stroke(cr);
        cairo_set_line_width(cr, 0.9);
        cairo_move_to(cr, 11.6, 13.8);
        cairo_line_to(cr, 11.6, 16.2); // mouth
        cairo_stroke(cr);
    });
    // Broad collar: concentric arcs over the chest.
    for (int b = 0; b < 3; b++)
        c.collarBand[b] = DrawMask(W, H, [&](cairo_t *cr) {
            Apply(cr, pl);
            double r0 = 4.6 + b * 1.9, r1 = r0 + 1.9;
            cairo_new_sub_path(cr);
            cairo_arc(cr, 13.0, 15, r1, -1.35, 1.35);
            cairo_arc_negative(cr, 13.0, 15, r0, 1.35, -1.35);
            cairo_close_path(cr);
            cairo_fill(cr);
        });
    c.collar = NewLayer(W, H);
    for (int b = 0; b < 3; b++)
        for (size_t i = 0; i < c.collar.v.size(); i++)
            c.collar.v[i] = std::max(c.collar.v[i], c.collarBand[b].v[i]);
    // Crossed forearms with fists.
    const double a0 = 21.5, a1 = 31.0;
    c.arms = DrawMask(W, H, [&](cairo_t *cr) {
        Apply(cr, pl);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_width(cr, 3.4);
        cairo_move_to(cr, a0, 4.5);
        cairo_line_to(cr, a1, 22.5);
        cairo_move_to(cr, a0, 25.5);
        cairo_line_to(cr, a1, 7.5);
        cairo_stroke(cr);
        cairo_arc(cr, a1 + 0.5, 23.0, 2.4, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_arc(cr, a1 + 0.5, 7.0, 2.4, 0, 2 * M_PI);
        cairo_fill(cr);
    });
    // Bands round the lower body and the inscription column down the middle.
    c.bands = DrawMask(W, H, [&](cairo_t *cr) {
        Apply(cr, pl);
        OutlinePath(cr, L);
        cairo_clip(cr);
        cairo_set_line_width(cr, 1.0);
        for (double u = a1 + 5.5; u < L - 5; u += 7.0) {
            cairo_move_to(cr, u, 0);
            cairo_line_to(cr, u, 30);
        }
        cairo_move_to(cr, a1 + 4.0, 12.6);
        cairo_line_to(cr, L - 4.5, 12.6);
        cairo_move_to(cr, a1 + 4.0, 17.4);
        cairo_line_to(cr, L - 4.5, 17.4);
        cairo_move_to(cr, L - 6.0, 0);
        cairo_line_to(cr, L - 6.0, 30);
        cairo_stroke(cr);
    });
    c.groove = DrawMask(W, H, [&](cairo_t *cr) {
        Apply(cr, pl);
        cairo_set_line_width(cr, 0.8);
        cairo_save(cr);
        cairo_translate(cr, 1.6, 15);
        cairo_scale(cr, (L - 3.2) / L, 24.6 / 30.0);
        cairo_translate(cr, -1.0, -15);
        OutlinePath(cr, L);
        cairo_restore(cr);
        cairo_stroke(cr);
    });
    return c;
}

void PaintCase(Pic &p, const Place &pl, Kind kind, int seed) {
    CaseLayers c = DrawCase(pl, kind);
    Palette pal = PaletteOf(kind);
    const int W = p.w, H = p.h;
    int w = pl.standing ? 30 : pl.len, h = pl.standing ? pl.len : 30;

    Layer dome = c.body;
    BoxBlur(dome, 4);
    Layer height = NewLayer(W, H);
    for (int y = pl.y; y < pl.y + h; y++)
        for (int x = pl.x; x < pl.x + w; x++) {
            int i = y * W + x;
            float hgt = dome.v[i] * 5.0f * c.body.v[i];
            hgt += c.wig.v[i] * 0.8f + c.face.v[i] * 0.9f + c.arms.v[i] * 1.0f;
            hgt -= c.bands.v[i] * 0.6f + c.groove.v[i] * 0.6f + c.eyes.v[i] * 0.5f;
            hgt += (Fbm(x * 0.5f, y * 0.5f, seed, 3) - 0.5f) * (kind == kSandstone ? 0.8f : 0.3f);
            height.v[i] = hgt;
        }
    Layer lit = Lighting(height, 1.0f);
    Layer gloss = Gloss(height, 1.0f, 12.0f);

    for (int y = pl.y; y < pl.y + h; y++)
        for (int x = pl.x; x < pl.x + w; x++) {
            int i = y * W + x;
            float a = c.body.v[i];
            if (a <= 0) continue;
            Rgb col = pal.body;
            col = Mix(col, pal.bodyDark, c.bands.v[i] * 0.8f + c.groove.v[i] * 0.6f);
            col = Mix(col, pal.wigA, c.wig.v[i]);
            col = Mix(col, pal.wigB, c.wigStripe.v[i] * c.wig.v[i]);
            col = Mix(col, pal.collarA, c.collarBand[0].v[i]);
            col = Mix(col, pal.collarB, c.collarBand[1].v[i]);
            col = Mix(col, pal.collarC, c.collarBand[2].v[i]);
            col = Mix(col, Scale(pal.body, 1.05f), c.arms.v[i]);
            col = Mix(col, pal.face, c.face.v[i]);
            col = Mix(col, pal.ink, c.eyes.v[i] * 0.9f);
            float grain = (Hash01(x, y, seed) - 0.5f) * (kind == kSandstone ? 0.10f : 0.05f);
            col = Scale(col, (0.45f + 0.55f * lit.v[i]) * (1.0f + grain));
            col = Mix(col, Rgb8(255, 244, 210), gloss.v[i] * pal.metal);
            // Dark rim where the case meets its shadowless edge.
            col = Scale(col, 0.55f + 0.45f * Smooth(0.0f, 1.0f, c.body.v[i]));
            float *d = p.at(x, y);
            d[0] = Clamp01(col.r), d[1] = Clamp01(col.g), d[2] = Clamp01(col.b), d[3] = a;
        }
}

// Stage Clear banner: carved pale letters on a rough brown slab with a chipped edge.
void PaintBanner(Pic &p) {
    const int W = p.w, H = p.h, top = 90;
    Layer slab = DrawMask(W, H, [&](cairo_t *cr) {
        // Ragged outline: points round a rectangle, each pushed in by seeded noise.
        const double x0 = 6, y0 = top + 6, x1 = 314, y1 = top + 89;
        int n = 0;
        auto pt = [&](double x, double y, double nx, double ny) {
            double r = Hash01(n, 7, 41);
            double chip = Hash01(n, 9, 43) > 0.86 ? 3.5 : 0.0;
            double in = r * 3.0 + chip;
            x += nx * in, y += ny * in;
            if (n++ == 0)
                cairo_move_to(cr, x, y);
            else
                cairo_line_to(cr, x, y);
        };
        for (double x = x0; x < x1; x += 5)
            pt(x, y0, 0, 1);
        for (double y = y0; y < y1; y += 5)
            pt(x1, y, -1, 0);
        for (double x = x1; x > x0; x -= 5)
            pt(x, y1, 0, -1);
        for (double y = y1; y > y0; y -= 5)
            pt(x0, y, 1, 0);
        cairo_close_path(cr);
        cairo_fill(cr);
    });
    Layer text = DrawMask(W, H, [&](cairo_t *cr) {
        double w = TextWidth(cr, "DejaVu Serif", true, false, 50, "Stage Clear");
        TextPath(cr, "DejaVu Serif", true, false, 50, 160 - w / 2, top + 64, "Stage Clear");
        cairo_fill(cr);
    });
    Layer textRing = Dilate(text, 2);
    Layer textSoft = text;
    BoxBlur(textSoft, 1, 2);
    Layer dome = slab;
    BoxBlur(dome, 3);
    Layer height = NewLayer(W, H);
    for (int y = top; y < H; y++)
        for (int x = 0; x < W; x++) {
            int i = y * W + x;
            float hgt = dome.v[i] * 3.0f + (Fbm(x * 0.12f, y * 0.12f, 55, 4) - 0.5f) * 3.0f;
            hgt += (Hash01(x, y, 57) - 0.5f) * 0.4f;
            hgt -= textSoft.v[i] * 2.2f; // letters cut into the slab
            height.v[i] = hgt;
        }
    Layer lit = Lighting(height, 1.0f);
    for (int y = top; y < H; y++)
        for (int x = 0; x < W; x++) {
            int i = y * W + x;
            float a = slab.v[i];
            if (a <= 0) continue;
            float mottle = Fbm(x * 0.04f, y * 0.08f, 61, 4);
            Rgb col = Mix(Rgb8(92, 62, 38), Rgb8(132, 94, 60), mottle);
            col = Mix(col, Rgb8(36, 22, 12), textRing.v[i] * 0.85f);
            col = Mix(col, Rgb8(238, 224, 190), text.v[i]);
            col = Scale(col, 0.5f + 0.5f * lit.v[i]);
            float *d = p.at(x, y);
            d[0] = Clamp01(col.r), d[1] = Clamp01(col.g), d[2] = Clamp01(col.b), d[3] = a;
        }
}

} // namespace

Pic MakeImageSheet() {
    Pic p = NewPic(320, 185);
    PaintCase(p, {0, 0, 90, true}, kBronze, 11);
    PaintCase(p, {30, 0, 60, true}, kSandstone, 12);
    PaintCase(p, {60, 0, 60, false}, kSandstone, 13);
    PaintCase(p, {60, 30, 60, false}, kGold, 14);
    PaintCase(p, {30, 60, 90, false}, kBronze, 15);
    PaintBanner(p);
    return p;
}
