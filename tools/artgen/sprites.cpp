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
    Rgb body, groove, face, wigA, wigB, collar[3], inlay, column, ink, lips;
    float metal; // strength of the specular highlight
    float grain; // roughness of the surface
};

Palette PaletteOf(Kind k) {
    Palette p;
    switch (k) {
    case kBronze:
        p.body = Rgb8(104, 68, 36);
        p.groove = Rgb8(44, 30, 16);
        p.face = Rgb8(178, 122, 64);
        p.wigA = Rgb8(48, 32, 18);
        p.wigB = Rgb8(104, 70, 36);
        p.collar[0] = Rgb8(70, 122, 104);
        p.collar[1] = Rgb8(196, 146, 72);
        p.collar[2] = Rgb8(70, 122, 104);
        p.inlay = Rgb8(84, 52, 26);
        p.column = Rgb8(84, 52, 26);
        p.ink = Rgb8(214, 170, 96);
        p.lips = Rgb8(92, 50, 26);
        p.metal = 0.8f;
        p.grain = 0.05f;
        break;
    case kSandstone:
        p.body = Rgb8(218, 194, 144);
        p.groove = Rgb8(140, 112, 74);
        p.face = Rgb8(216, 164, 104);
        p.wigA = Rgb8(44, 40, 46);
        p.wigB = Rgb8(150, 128, 96);
        p.collar[0] = Rgb8(64, 112, 140);
        p.collar[1] = Rgb8(178, 78, 54);
        p.collar[2] = Rgb8(72, 136, 112);
        p.inlay = Rgb8(160, 92, 60);
        p.column = Rgb8(196, 170, 122);
        p.ink = Rgb8(72, 52, 36);
        p.lips = Rgb8(150, 74, 56);
        p.metal = 0.10f;
        p.grain = 0.12f;
        break;
    default:
        p.body = Rgb8(232, 180, 58);
        p.groove = Rgb8(136, 88, 20);
        p.face = Rgb8(246, 204, 100);
        p.wigA = Rgb8(30, 58, 160);
        p.wigB = Rgb8(240, 194, 72);
        p.collar[0] = Rgb8(30, 70, 170);
        p.collar[1] = Rgb8(196, 52, 40);
        p.collar[2] = Rgb8(34, 150, 150);
        p.inlay = Rgb8(36, 68, 170);
        p.column = Rgb8(214, 160, 46);
        p.ink = Rgb8(30, 50, 140);
        p.lips = Rgb8(150, 70, 30);
        p.metal = 0.75f;
        p.grain = 0.04f;
        break;
    }
    return p;
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

// Silhouette: round head, broad shoulders, tapering to the feet.
void OutlinePath(cairo_t *cr, double L) {
    const double m = 1.0;
    cairo_move_to(cr, m, 15);
    cairo_curve_to(cr, m, 7.5, 4.5, 2.2, 11.0, 2.0);
    cairo_curve_to(cr, 14.5, 1.9, 16.5, 1.2, 20.0, 1.2);
    cairo_line_to(cr, L - 11.0, 3.4);
    cairo_curve_to(cr, L - 5.0, 3.7, L - m, 5.5, L - m, 10.0);
    cairo_line_to(cr, L - m, 20.0);
    cairo_curve_to(cr, L - m, 24.5, L - 5.0, 26.3, L - 11.0, 26.6);
    cairo_line_to(cr, 20.0, 28.8);
    cairo_curve_to(cr, 16.5, 28.8, 14.5, 28.1, 11.0, 28.0);
    cairo_curve_to(cr, 4.5, 27.8, m, 22.5, m, 15);
    cairo_close_path(cr);
}

// Wig or headdress: the crown of the head and the two lappets to the shoulders.
void WigPath(cairo_t *cr, double L) {
    OutlinePath(cr, L);
    cairo_clip(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_rectangle(cr, 0, 0, 20.5, 30);
    cairo_rectangle(cr, 11.0, 8.6, 9.5, 12.8);
}

void FacePath(cairo_t *cr) {
    cairo_save(cr);
    cairo_translate(cr, 9.3, 15);
    cairo_scale(cr, 5.7, 5.4);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
}

const double kArmTop = 20.5, kArmEnd = 30.0; // crossed forearms, u range
const double kLower = 34.0;                  // start of the lower body

// Everything of one case, as coverage layers in sheet pixels.
struct CaseLayers {
    Layer body, wig, wigStripe, face, beard, uraeus, eyes, mouth, collar[3], arms, armRing, bands,
        column, marks, groove;
};

CaseLayers DrawCase(const Place &pl, Kind kind) {
    const int W = 320, H = 185;
    const double L = pl.len;
    auto mask = [&](const DrawFn &f) {
        return DrawMask(W, H, [&](cairo_t *cr) {
            Apply(cr, pl);
            f(cr);
        });
    };
    CaseLayers c;
    c.body = mask([&](cairo_t *cr) {
        OutlinePath(cr, L);
        cairo_fill(cr);
    });
    c.wig = mask([&](cairo_t *cr) {
        WigPath(cr, L);
        cairo_fill(cr);
    });
    // Stripes across the headdress; the gold case's are broad bands, nemes-style.
    c.wigStripe = mask([&](cairo_t *cr) {
        WigPath(cr, L);
        cairo_clip(cr);
        cairo_new_path(cr);
        double step = kind == kGold ? 1.6 : 1.4;
        for (double u = 1.2; u < 22; u += step * 2)
            cairo_rectangle(cr, u, 0, step, 30);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
        cairo_fill(cr);
    });
    c.face = mask([&](cairo_t *cr) {
        FacePath(cr);
        cairo_fill(cr);
    });
    // The cobra on the brow of the golden case's headdress.
    c.uraeus = mask([&](cairo_t *cr) {
        if (kind != kGold) return;
        cairo_save(cr);
        cairo_translate(cr, 3.0, 15);
        cairo_scale(cr, 1.6, 1.1);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(cr);
        cairo_fill(cr);
    });
    c.beard = mask([&](cairo_t *cr) {
        cairo_rectangle(cr, 14.2, 13.8, 4.2, 2.4);
        cairo_fill(cr);
    });
    c.eyes = mask([&](cairo_t *cr) {
        for (double v : {12.3, 17.7}) {
            cairo_save(cr);
            cairo_translate(cr, 8.2, v);
            cairo_scale(cr, 0.62, 1.25);
            cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
            cairo_restore(cr);
            cairo_fill(cr);
        }
        cairo_set_line_width(cr, 0.5);
        for (double v : {12.3, 17.7}) { // brows
            cairo_move_to(cr, 6.3, v - 1.8);
            cairo_line_to(cr, 6.3, v + 1.8);
        }
        cairo_stroke(cr);
    });
    c.mouth = mask([&](cairo_t *cr) {
        cairo_rectangle(cr, 12.1, 13.9, 0.9, 2.2);
        cairo_fill(cr);
    });
    // Broad collar: three concentric bands over the chest.
    for (int b = 0; b < 3; b++)
        c.collar[b] = mask([&](cairo_t *cr) {
            OutlinePath(cr, L);
            cairo_clip(cr);
            cairo_new_path(cr);
            double r0 = 6.0 + b * 1.8, r1 = r0 + 1.8;
            cairo_new_sub_path(cr);
            cairo_arc(cr, 11.0, 15, r1, -1.3, 1.3);
            cairo_arc_negative(cr, 11.0, 15, r0, 1.3, -1.3);
            cairo_close_path(cr);
            cairo_fill(cr);
        });
    c.arms = mask([&](cairo_t *cr) {
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        // Elbows at the sides, fists up by the opposite shoulders.
        cairo_set_line_width(cr, 4.0);
        cairo_move_to(cr, kArmEnd, 5.0);
        cairo_line_to(cr, kArmTop + 1.0, 21.0);
        cairo_stroke(cr);
        cairo_move_to(cr, kArmEnd, 25.0);
        cairo_line_to(cr, kArmTop + 1.0, 9.0);
        cairo_stroke(cr);
        cairo_arc(cr, kArmTop, 21.6, 2.7, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_arc(cr, kArmTop, 8.4, 2.7, 0, 2 * M_PI);
        cairo_fill(cr);
    });
    c.armRing = Dilate(c.arms, 1);
    for (size_t i = 0; i < c.armRing.v.size(); i++)
        c.armRing.v[i] = std::max(0.0f, c.armRing.v[i] - c.arms.v[i]) * c.body.v[i];
    // Lower body: inlaid bands round it, an inscription column down the middle.
    c.bands = mask([&](cairo_t *cr) {
        OutlinePath(cr, L);
        cairo_clip(cr);
        cairo_new_path(cr);
        for (double u = kLower; u < L - 8; u += 11.0)
            cairo_rectangle(cr, u, 0, 1.8, 30);
        cairo_fill(cr);
    });
    c.column = mask([&](cairo_t *cr) {
        cairo_rectangle(cr, kLower, 12.4, L - 7.5 - kLower, 5.2);
        cairo_fill(cr);
    });
    c.marks = mask([&](cairo_t *cr) {
        int n = 0;
        for (double u = kLower + 2.2; u < L - 9.0; u += 3.0, n++) {
            switch ((n * 7 + pl.len) % 4) {
            case 0: // sun disc
                cairo_arc(cr, u + 0.7, 15, 0.95, 0, 2 * M_PI);
                break;
            case 1: // water line
                cairo_rectangle(cr, u, 13.6, 1.0, 2.8);
                break;
            case 2: // reed pair
                cairo_rectangle(cr, u, 13.5, 1.6, 0.9);
                cairo_rectangle(cr, u, 15.6, 1.6, 0.9);
                break;
            default: // seated figure, roughly
                cairo_rectangle(cr, u, 14.0, 1.6, 1.0);
                cairo_rectangle(cr, u + 0.6, 15.0, 1.0, 1.4);
                break;
            }
            cairo_fill(cr);
        }
    });
    // Carved edges: an inset line following the outline, and the foot board.
    c.groove = mask([&](cairo_t *cr) {
        cairo_set_line_width(cr, 0.9);
        cairo_save(cr);
        cairo_translate(cr, 2.0, 15);
        cairo_scale(cr, (L - 4.0) / L, 23.0 / 30.0);
        cairo_translate(cr, -1.0, -15);
        OutlinePath(cr, L);
        cairo_restore(cr);
        cairo_stroke(cr);
        cairo_move_to(cr, L - 6.5, 4);
        cairo_line_to(cr, L - 6.5, 26);
        cairo_stroke(cr);
    });
    return c;
}

void PaintCase(Pic &p, const Place &pl, Kind kind, int seed) {
    CaseLayers c = DrawCase(pl, kind);
    Palette pal = PaletteOf(kind);
    const int W = p.w, H = p.h;
    int w = pl.standing ? 30 : pl.len, h = pl.standing ? pl.len : 30;

    // Rounded body: a blurred silhouette, lifted so the middle is a broad dome.
    Layer dome = c.body;
    BoxBlur(dome, 4);
    Layer inner = Erode(c.body, 1);
    Layer height = NewLayer(W, H);
    for (int y = pl.y; y < pl.y + h; y++)
        for (int x = pl.x; x < pl.x + w; x++) {
            int i = y * W + x;
            float hgt = std::sqrt(dome.v[i]) * 6.0f * c.body.v[i];
            hgt +=
                c.wig.v[i] * 0.7f + c.face.v[i] * 1.1f + c.beard.v[i] * 0.6f + c.uraeus.v[i] * 0.8f;
            hgt += c.arms.v[i] * 1.3f;
            hgt -= c.groove.v[i] * 0.8f + c.column.v[i] * 0.4f;
            hgt -= c.eyes.v[i] * 0.4f + c.marks.v[i] * 0.3f;
            // Turned sample grid, so the surface noise shows no rows or columns.
            float nu = x * 0.26f + y * 0.15f, nv = y * 0.26f - x * 0.15f;
            hgt += (Fbm(nu, nv, seed, 3) - 0.5f) * pal.grain * 5.0f;
            height.v[i] = hgt;
        }
    Layer lit = Lighting(height, 1.0f);
    Layer gloss = Gloss(height, 1.0f, 20.0f);

    for (int y = pl.y; y < pl.y + h; y++)
        for (int x = pl.x; x < pl.x + w; x++) {
            int i = y * W + x;
            float a = c.body.v[i];
            if (a <= 0) continue;
            Rgb col = pal.body;
            col = Mix(col, pal.inlay, c.bands.v[i]);
            col = Mix(col, pal.column, c.column.v[i]);
            col = Mix(col, pal.ink, c.marks.v[i]);
            for (int b = 0; b < 3; b++)
                col = Mix(col, pal.collar[b], c.collar[b].v[i]);
            col = Mix(col, pal.wigA, c.wig.v[i]);
            col = Mix(col, pal.wigB, c.wigStripe.v[i]);
            col = Mix(col, pal.face, c.face.v[i]);
            col = Mix(col, Rgb8(200, 40, 30), c.uraeus.v[i]);
            Rgb beard = kind == kGold ? Mix(pal.wigA, pal.wigB, Hash01(0, y + x, 3) > 0.5f)
                                      : Scale(pal.wigA, 1.3f);
            col = Mix(col, beard, c.beard.v[i]);
            col = Mix(col, Rgb8(36, 24, 14), c.eyes.v[i] * 0.8f);
            col = Mix(col, pal.lips, c.mouth.v[i] * 0.8f);
            col = Mix(col, kind == kGold ? Scale(pal.body, 1.06f) : Mix(pal.body, pal.face, 0.7f),
                      c.arms.v[i]);
            col = Mix(col, pal.groove, c.armRing.v[i] * 0.55f);
            col = Mix(col, pal.groove, c.groove.v[i] * 0.7f);
            if (kind == kBronze) {
                // Green patina settled in the recesses.
                float recess = std::min(1.0f, c.groove.v[i] + c.bands.v[i] + c.armRing.v[i] +
                                                  c.column.v[i] * 0.5f);
                float patina = Smooth(0.55f, 0.75f, Fbm(x * 0.35f, y * 0.35f, seed + 7, 3));
                col = Mix(col, Rgb8(76, 104, 78), recess * patina * 0.6f);
            }
            float grain = (Hash01(x, y, seed) - 0.5f) * pal.grain;
            col = Scale(col, (0.42f + 0.58f * lit.v[i]) * (1.0f + grain));
            // Faces are matt, so their features stay clear of the highlight.
            float shine = gloss.v[i] * pal.metal * (1.0f - 0.7f * c.face.v[i]);
            col = Mix(col, Rgb8(255, 246, 214), Clamp01(shine));
            // Darker rim along the silhouette so the case stands off the floor.
            col = Scale(col, 0.62f + 0.38f * inner.v[i]);
            float *d = p.at(x, y);
            d[0] = Clamp01(col.r), d[1] = Clamp01(col.g), d[2] = Clamp01(col.b), d[3] = a;
        }
}

// Stage Clear banner: carved pale letters on a rough brown slab with a chipped edge.
void PaintBanner(Pic &p) {
    const int W = p.w, H = p.h, top = 90;
    Layer slab = DrawMask(W, H, [&](cairo_t *cr) {
        // Ragged outline: points round a rectangle, pushed inwards by smooth
        // noise, with the odd deeper chip and broken-off corners.
        const double x0 = 3, y0 = top + 3, x1 = 317, y1 = top + 92;
        int n = 0;
        auto pt = [&](double x, double y, double nx, double ny) {
            double in = Noise(n * 0.35f, 3.0f, 41) * 4.0 + Hash01(n, 7, 42) * 1.2;
            if (Hash01(n, 9, 43) > 0.9) in += 2.5 + Hash01(n, 11, 44) * 2.5;
            double cx = std::min(x - x0, x1 - x), cy = std::min(y - y0, y1 - y);
            double corner = std::max(0.0, 9.0 - std::min(cx, cy) - std::max(cx, cy) * 0.6);
            in += corner;
            x += nx * in, y += ny * in;
            if (n++ == 0)
                cairo_move_to(cr, x, y);
            else
                cairo_line_to(cr, x, y);
        };
        for (double x = x0; x < x1; x += 3)
            pt(x, y0, 0, 1);
        for (double y = y0; y < y1; y += 3)
            pt(x1, y, -1, 0);
        for (double x = x1; x > x0; x -= 3)
            pt(x, y1, 0, -1);
        for (double y = y1; y > y0; y -= 3)
            pt(x0, y, 1, 0);
        cairo_close_path(cr);
        cairo_fill(cr);
    });
    Layer text = DrawMask(W, H, [&](cairo_t *cr) {
        const char *s = "Stage Clear";
        double size = 44.0, w = TextWidth(cr, "DejaVu Serif", true, false, size, s);
        if (w > 256) {
            size *= 256 / w;
            w = TextWidth(cr, "DejaVu Serif", true, false, size, s);
        }
        TextPath(cr, "DejaVu Serif", true, false, size, 160 - w / 2, top + 48 + size * 0.36, s);
        cairo_fill(cr);
    });
    // A carved border line inside the edge, and a few cracks.
    Layer lines = DrawMask(W, H, [&](cairo_t *cr) {
        cairo_set_line_width(cr, 1.2);
        cairo_rectangle(cr, 15.5, top + 13.5, 289, 68);
        cairo_stroke(cr);
        cairo_set_line_width(cr, 0.8);
        for (int k = 0; k < 4; k++) {
            double x = 20 + Hash01(k, 1, 47) * 280, y = top + (k % 2 ? 6 : 88);
            cairo_move_to(cr, x, y);
            for (int s = 0; s < 7; s++) {
                x += (Hash01(k, s, 48) - 0.5) * 7;
                y += (k % 2 ? 1.6 : -1.6) + Hash01(k, s, 49) * 0.8;
                cairo_line_to(cr, x, y);
            }
        }
        cairo_stroke(cr);
    });
    Layer textRing = Dilate(text, 1);
    Layer textSoft = text;
    BoxBlur(textSoft, 1, 1);
    Layer linesSoft = lines;
    BoxBlur(linesSoft, 1, 1);
    Layer dome = slab;
    BoxBlur(dome, 3);
    Layer inner = Erode(slab, 1);
    Layer height = NewLayer(W, H);
    for (int y = top; y < H; y++)
        for (int x = 0; x < W; x++) {
            int i = y * W + x;
            float hgt = std::sqrt(dome.v[i]) * 4.0f;
            hgt += (Fbm(x * 0.1f, y * 0.1f, 55, 5) - 0.5f) * 4.0f;
            hgt += (Hash01(x, y, 57) - 0.5f) * 0.5f;
            hgt -= textSoft.v[i] * 2.6f; // letters cut into the slab
            hgt -= linesSoft.v[i] * 1.2f;
            height.v[i] = hgt;
        }
    Layer lit = Lighting(height, 1.0f);
    for (int y = top; y < H; y++)
        for (int x = 0; x < W; x++) {
            int i = y * W + x;
            float a = slab.v[i];
            if (a <= 0) continue;
            float mottle = Fbm(x * 0.035f, y * 0.07f, 61, 4);
            Rgb col = Mix(Rgb8(84, 56, 34), Rgb8(136, 98, 62), mottle);
            col = Mix(col, Rgb8(52, 34, 20), lines.v[i] * 0.7f);
            col = Mix(col, Rgb8(40, 24, 12), std::max(0.0f, textRing.v[i] - text.v[i]) * 0.6f);
            col = Mix(col, Rgb8(238, 226, 196), text.v[i]);
            col = Scale(col, 0.45f + 0.55f * lit.v[i]);
            col = Scale(col, 0.6f + 0.4f * inner.v[i]);
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
