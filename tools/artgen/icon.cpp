// The application icon: a stone tile with a dark tomb floor, two grey cases
// and the golden case sliding out through the opening in the right wall.
// Drawn as shapes on a unit square, so every size is sharp.
#include "canvas.h"

#include <algorithm>

namespace {

// Coverage of the shapes that `draw` adds to the path, on an s x s canvas
// whose unit square is the whole icon.
Layer UnitMask(int s, const DrawFn &draw) {
    return DrawMask(s, s, [&](cairo_t *cr) {
        cairo_scale(cr, s, s);
        draw(cr);
        cairo_fill(cr);
    });
}

} // namespace

Pic MakeIcon(int s) {
    Layer tile = UnitMask(s, [](cairo_t *cr) { RoundRect(cr, 0.02, 0.02, 0.96, 0.96, 0.16); });
    Layer floor = UnitMask(s, [](cairo_t *cr) {
        cairo_rectangle(cr, 0.15, 0.15, 0.66, 0.70);
        cairo_rectangle(cr, 0.80, 0.38, 0.20, 0.24); // the opening
    });
    Layer stone = UnitMask(s, [](cairo_t *cr) {
        RoundRect(cr, 0.19, 0.19, 0.18, 0.42, 0.05);
        RoundRect(cr, 0.41, 0.65, 0.36, 0.16, 0.05);
    });
    Layer gold = UnitMask(s, [](cairo_t *cr) { RoundRect(cr, 0.46, 0.40, 0.46, 0.20, 0.06); });
    Pic p = NewPic(s, s);
    for (int y = 0; y < s; y++)
        for (int x = 0; x < s; x++) {
            float t = s > 1 ? y / float(s - 1) : 0;
            float in = tile.at(x, y);
            Over(p, x, y, Mix(Rgb8(196, 160, 100), Rgb8(120, 88, 48), t), in);
            Over(p, x, y, Rgb8(52, 38, 24), std::min(floor.at(x, y), in));
            Over(p, x, y, Mix(Rgb8(178, 160, 132), Rgb8(120, 104, 82), t), stone.at(x, y));
            Over(p, x, y, Mix(Rgb8(255, 226, 120), Rgb8(200, 140, 40), t),
                 std::min(gold.at(x, y), in));
        }
    return p;
}
