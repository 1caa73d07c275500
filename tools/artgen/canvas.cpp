#include "canvas.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

Layer NewLayer(int w, int h, float fill) {
    Layer l;
    l.w = w;
    l.h = h;
    l.v.assign(size_t(w) * h, fill);
    return l;
}

Pic NewPic(int w, int h) {
    Pic p;
    p.w = w;
    p.h = h;
    p.px.assign(size_t(w) * h * 4, 0.0f);
    return p;
}

float Clamp01(float v) {
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

float Smooth(float e0, float e1, float x) {
    float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

Rgb Mix(Rgb a, Rgb b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Scale(Rgb c, float k) {
    return {c.r * k, c.g * k, c.b * k};
}

Rgb Rgb8(int r, int g, int b) {
    return {r / 255.0f, g / 255.0f, b / 255.0f};
}

Layer DrawMask(int w, int h, const DrawFn &draw) {
    cairo_surface_t *s = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
    cairo_t *cr = cairo_create(s);
    cairo_set_source_rgba(cr, 0, 0, 0, 1);
    draw(cr);
    cairo_destroy(cr);
    cairo_surface_flush(s);
    Layer l = NewLayer(w, h);
    const unsigned char *data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            l.at(x, y) = data[y * stride + x] / 255.0f;
    cairo_surface_destroy(s);
    return l;
}

// Integer hash of a lattice point and a seed, 0..1; the same on every run.
float Hash01(int x, int y, int seed) {
    uint32_t h =
        uint32_t(x) * 0x8da6b343u ^ uint32_t(y) * 0xd8163841u ^ uint32_t(seed) * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    h *= 0x27d4eb2du;
    h ^= h >> 16;
    return (h & 0xffffff) / float(0xffffff);
}

float Noise(float x, float y, int seed) {
    int ix = int(std::floor(x)), iy = int(std::floor(y));
    float fx = x - ix, fy = y - iy;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    float a = Hash01(ix, iy, seed), b = Hash01(ix + 1, iy, seed);
    float c = Hash01(ix, iy + 1, seed), d = Hash01(ix + 1, iy + 1, seed);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

float Fbm(float x, float y, int seed, int octaves) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < octaves; i++) {
        sum += Noise(x, y, seed + i * 101) * amp;
        norm += amp;
        amp *= 0.5f;
        // Next octave: double frequency, turned by about 37 degrees so that
        // the lattices of the octaves do not line up into a grid.
        float nx = (x * 0.8f - y * 0.6f) * 2.03f, ny = (x * 0.6f + y * 0.8f) * 2.03f;
        x = nx + 17.3f;
        y = ny + 5.1f;
    }
    return sum / norm;
}

static void BlurLine(float *v, int n, int stride, int r, std::vector<float> &tmp) {
    tmp.resize(n);
    for (int i = 0; i < n; i++)
        tmp[i] = v[i * stride];
    float acc = 0;
    for (int i = -r; i <= r; i++)
        acc += tmp[std::clamp(i, 0, n - 1)];
    for (int i = 0; i < n; i++) {
        v[i * stride] = acc / (2 * r + 1);
        acc += tmp[std::clamp(i + r + 1, 0, n - 1)] - tmp[std::clamp(i - r, 0, n - 1)];
    }
}

void BoxBlur(Layer &l, int radius, int passes) {
    if (radius <= 0) return;
    std::vector<float> tmp;
    for (int p = 0; p < passes; p++) {
        for (int y = 0; y < l.h; y++)
            BlurLine(&l.v[y * l.w], l.w, 1, radius, tmp);
        for (int x = 0; x < l.w; x++)
            BlurLine(&l.v[x], l.h, l.w, radius, tmp);
    }
}

static Layer MinMax(const Layer &l, int r, bool takeMax) {
    Layer out = l;
    for (int y = 0; y < l.h; y++)
        for (int x = 0; x < l.w; x++) {
            float best = l.at(x, y);
            for (int dy = -r; dy <= r; dy++)
                for (int dx = -r; dx <= r; dx++) {
                    if (dx * dx + dy * dy > r * r + r) continue;
                    int xx = x + dx, yy = y + dy;
                    float v = (xx < 0 || yy < 0 || xx >= l.w || yy >= l.h) ? 0.0f : l.at(xx, yy);
                    best = takeMax ? std::max(best, v) : std::min(best, v);
                }
            out.at(x, y) = best;
        }
    return out;
}

Layer Dilate(const Layer &l, int radius) {
    return MinMax(l, radius, true);
}
Layer Erode(const Layer &l, int radius) {
    return MinMax(l, radius, false);
}

static float HeightAt(const Layer &h, int x, int y) {
    return h.at(std::clamp(x, 0, h.w - 1), std::clamp(y, 0, h.h - 1));
}

// Light from the upper left, somewhat above the picture.
static const float kLx = -0.55f, kLy = -0.65f, kLz = 0.52f;

// Surface normal (unnormalised) of a height map at (x, y), and its length.
static void Normal(const Layer &height, int x, int y, float strength, float *nx, float *ny,
                   float *nz, float *len) {
    float dx = (HeightAt(height, x + 1, y) - HeightAt(height, x - 1, y)) * 0.5f * strength;
    float dy = (HeightAt(height, x, y + 1) - HeightAt(height, x, y - 1)) * 0.5f * strength;
    *nx = -dx, *ny = -dy, *nz = 1.0f;
    *len = std::sqrt(*nx * *nx + *ny * *ny + *nz * *nz);
}

Layer Lighting(const Layer &height, float strength) {
    Layer out = NewLayer(height.w, height.h);
    for (int y = 0; y < height.h; y++)
        for (int x = 0; x < height.w; x++) {
            float nx, ny, nz, len;
            Normal(height, x, y, strength, &nx, &ny, &nz, &len);
            float lambert = (nx * kLx + ny * kLy + nz * kLz) / len;
            out.at(x, y) = std::max(0.0f, lambert) / kLz;
        }
    return out;
}

Layer Gloss(const Layer &height, float strength, float power) {
    Layer out = NewLayer(height.w, height.h);
    // Half vector between the light and a viewer straight above.
    float hx = kLx, hy = kLy, hz = kLz + 1.0f;
    float hl = std::sqrt(hx * hx + hy * hy + hz * hz);
    hx /= hl, hy /= hl, hz /= hl;
    for (int y = 0; y < height.h; y++)
        for (int x = 0; x < height.w; x++) {
            float nx, ny, nz, len;
            Normal(height, x, y, strength, &nx, &ny, &nz, &len);
            float d = std::max(0.0f, (nx * hx + ny * hy + nz * hz) / len);
            out.at(x, y) = std::pow(d, power);
        }
    return out;
}

void Over(Pic &p, int x, int y, Rgb c, float a) {
    if (x < 0 || y < 0 || x >= p.w || y >= p.h || a <= 0) return;
    a = Clamp01(a);
    float *d = p.at(x, y);
    float da = d[3];
    float oa = a + da * (1 - a);
    if (oa <= 0) {
        d[0] = d[1] = d[2] = d[3] = 0;
        return;
    }
    d[0] = (c.r * a + d[0] * da * (1 - a)) / oa;
    d[1] = (c.g * a + d[1] * da * (1 - a)) / oa;
    d[2] = (c.b * a + d[2] * da * (1 - a)) / oa;
    d[3] = oa;
}

void BlitOver(Pic &dst, const Pic &src, int dx, int dy) {
    for (int y = 0; y < src.h; y++)
        for (int x = 0; x < src.w; x++) {
            const float *s = src.at(x, y);
            Over(dst, dx + x, dy + y, {s[0], s[1], s[2]}, s[3]);
        }
}

static void SelectFont(cairo_t *cr, const char *family, bool bold, bool italic, double size) {
    cairo_select_font_face(cr, family, italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    // Outlines only: no hinting, so the shapes do not depend on the rasteriser's grid fitting.
    cairo_font_options_t *fo = cairo_font_options_create();
    cairo_font_options_set_hint_style(fo, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(fo, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, fo);
    cairo_font_options_destroy(fo);
}

void TextPath(cairo_t *cr, const char *family, bool bold, bool italic, double size, double x,
              double y, const char *s) {
    SelectFont(cr, family, bold, italic, size);
    cairo_move_to(cr, x, y);
    cairo_text_path(cr, s);
}

double TextWidth(cairo_t *cr, const char *family, bool bold, bool italic, double size,
                 const char *s) {
    SelectFont(cr, family, bold, italic, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, s, &e);
    return e.x_advance;
}

bool FontsAreDejaVu() {
    cairo_surface_t *s = cairo_image_surface_create(CAIRO_FORMAT_A8, 4, 4);
    cairo_t *cr = cairo_create(s);
    struct Probe {
        const char *family;
        bool bold, italic;
        double size;
        const char *text;
        double width;
    };
    const Probe probes[] = {{"DejaVu Serif", true, false, 44, "Stage Clear", 286.107},
                            {"DejaVu Sans", true, false, 100, "ROOM BEST 0123456789", 1396.729},
                            {"DejaVu Sans", false, true, 100, "0123456789", 636.230}};
    bool same = true;
    for (const Probe &p : probes) {
        double w = TextWidth(cr, p.family, p.bold, p.italic, p.size, p.text);
        if (std::fabs(w - p.width) > 0.05) {
            std::printf("font \"%s\"%s%s: advance %.3f, expected %.3f\n", p.family,
                        p.bold ? " bold" : "", p.italic ? " italic" : "", w, p.width);
            same = false;
        }
    }
    cairo_destroy(cr);
    cairo_surface_destroy(s);
    return same;
}

static uint8_t To8(float v) {
    return uint8_t(std::lround(Clamp01(v) * 255.0f));
}

bool WritePng(const std::string &path, const Pic &p, bool withAlpha) {
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, p.w, p.h, 8, withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    int ch = withAlpha ? 4 : 3;
    std::vector<png_byte> row(size_t(p.w) * ch);
    for (int y = 0; y < p.h; y++) {
        for (int x = 0; x < p.w; x++) {
            const float *s = p.at(x, y);
            float a = withAlpha ? s[3] : 1.0f;
            uint8_t a8 = To8(a);
            for (int c = 0; c < 3; c++)
                row[x * ch + c] = (withAlpha && a8 == 0) ? 0 : To8(s[c]);
            if (withAlpha) row[x * ch + 3] = a8;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

void RoundRect(cairo_t *cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 1.5 * M_PI);
    cairo_close_path(cr);
}
