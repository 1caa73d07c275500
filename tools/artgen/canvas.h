// Pixel buffers and helpers shared by the picture generators: float layers,
// straight-alpha RGBA pictures, Cairo-drawn coverage masks, seeded noise,
// blurs, relief lighting and the PNG writer.
#pragma once

#include <cairo.h>

#include <functional>
#include <string>
#include <vector>

struct Rgb {
    float r, g, b;
};

// One float channel, w x h.
struct Layer {
    int w = 0, h = 0;
    std::vector<float> v;
    float &at(int x, int y) { return v[y * w + x]; }
    float at(int x, int y) const { return v[y * w + x]; }
};

// Straight (not premultiplied) RGBA, every channel 0..1.
struct Pic {
    int w = 0, h = 0;
    std::vector<float> px;
    float *at(int x, int y) { return &px[(y * w + x) * 4]; }
    const float *at(int x, int y) const { return &px[(y * w + x) * 4]; }
};

using DrawFn = std::function<void(cairo_t *)>;

Layer NewLayer(int w, int h, float fill = 0.0f);
Pic NewPic(int w, int h);

float Clamp01(float v);
float Smooth(float e0, float e1, float x);
Rgb Mix(Rgb a, Rgb b, float t);
Rgb Scale(Rgb c, float k);
Rgb Rgb8(int r, int g, int b);

// Coverage (0..1) of whatever `draw` fills or strokes on a w x h canvas.
Layer DrawMask(int w, int h, const DrawFn &draw);

float Hash01(int x, int y, int seed);
float Noise(float x, float y, int seed);
float Fbm(float x, float y, int seed, int octaves);

void BoxBlur(Layer &l, int radius, int passes = 3);
Layer Dilate(const Layer &l, int radius);
Layer Erode(const Layer &l, int radius);

// Lambert factor of a height field lit from the upper left, 1.0 on flat ground.
Layer Lighting(const Layer &height, float strength);
// Specular highlight of the same height field, 0..1.
Layer Gloss(const Layer &height, float strength, float power);

// Composites colour c with coverage a over the pixel (straight alpha).
void Over(Pic &p, int x, int y, Rgb c, float a);
void BlitOver(Pic &dst, const Pic &src, int dx, int dy);

// Text outline helper: appends the glyph path of `s` to the current path.
// Adds a rectangle with corners rounded to radius r to the current path.
void RoundRect(cairo_t *cr, double x, double y, double w, double h, double r);
void TextPath(cairo_t *cr, const char *family, bool bold, bool italic, double size, double x,
              double y, const char *s);
double TextWidth(cairo_t *cr, const char *family, bool bold, bool italic, double size,
                 const char *s);

// True when the font faces that the pictures use resolve to the DejaVu fonts
// the committed pictures were drawn with (checked by their advance widths).
bool FontsAreDejaVu();

// 8 bits per channel, not interlaced; colour type 6 (RGBA) or 2 (RGB).
bool WritePng(const std::string &path, const Pic &p, bool withAlpha);

// The pictures.
Pic MakeImageSheet();
Pic MakeFrameSheet();
Pic MakeBackSheet();
Pic MakeDigitSheet();
Pic MakeMark();
// The application icon, s x s.
Pic MakeIcon(int s);
// The handheld game list's preview, 320x240.
Pic MakeTitle();
// The browser page's icons, each with its file name (webicon.cpp).
struct NamedPic {
    const char *name;
    Pic pic;
};
std::vector<NamedPic> MakeWebIcons();
